// The name a stored file keeps on disk and in its address. Controls send the
// whole temporary path as the file name, and a name from the wire must never
// choose a folder, hide a file or carry a reply delimiter.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varn::host {

inline constexpr std::size_t kMaxSafeFileNameLength = 100;

// The last component of `sentName` (after the last '/' or '\'), with every
// byte other than a letter, digit, '.', '-' or '_' turned into '_', leading
// dots dropped and the stem shortened to fit the length limit; "file" when
// nothing is left.
std::string SafeFileName(std::string_view sentName);

// True for a name SafeFileName can produce: what a stored file's address may
// name.
bool IsSafeFileName(std::string_view name);

}  // namespace varn::host
