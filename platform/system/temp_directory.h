// The user's private temporary directory, where the controls leave the
// pictures they upload. It is `varnpostingtool-<uid>` inside $TMPDIR (or
// /tmp), mode 0700, and refused when another user could have planted or can
// read it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/system/file_error.h"

namespace varn::system {

// Characters of the Windows path buffers the callers were written for,
// terminating 0 included; a longer path is a failure, never truncated.
inline constexpr std::size_t kMaxPath = 260;

// Creates `<base>/varnpostingtool-<uid>/` or checks the one already there:
// it must be a real directory (not a link), owned by `uid`, with no access
// for group or others. The check runs on the opened directory, so a link
// planted between creation and check is refused rather than followed.
// Returns the directory's path with a trailing "/".
FileResult<std::string> PreparePrivateDirectory(std::string_view base, uid_t uid);

// $TMPDIR when it is an absolute path, /tmp otherwise.
std::string TempDirectoryBase();

// The process's private temporary directory, prepared on first use and the
// same for every later caller; a failure is remembered too.
const FileResult<std::string>& GetTempPath();

}  // namespace varn::system
