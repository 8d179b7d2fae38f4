// Unique temporary file names in the Windows manner: up to three characters
// of prefix, a hexadecimal number without leading zeros, ".tmp". The file is
// created empty and exclusively, so the name stays reserved; nothing here
// deletes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system/file_error.h"
#include "platform/system/temp_directory.h"

namespace varn::system {

// Creates `<prefix><N>.tmp` in the opened directory with mode 0600, N from a
// process-wide time and pid based sequence, moving on to the next number
// while a name is taken, and returns the directory's path joined with it.
// Fails with NamesExhausted when all 65535 names are taken and with
// PathTooLong when the result would not fit kMaxPath.
FileResult<std::string> GetTempFileName(const OpenDirectory& directory, std::string_view prefix);

// The same with the first number to try given; 0 counts as 1 since 0 is
// never used.
FileResult<std::string> GetTempFileName(const OpenDirectory& directory, std::string_view prefix,
                                        uint16_t firstNumber);

// The same in a directory given by path, opened for the call.
FileResult<std::string> GetTempFileName(std::string_view directory, std::string_view prefix);
FileResult<std::string> GetTempFileName(std::string_view directory, std::string_view prefix,
                                        uint16_t firstNumber);

}  // namespace varn::system
