// Turning a name that comes from a message (an attachment's file name) into one safe file name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::mime {

// Reduces a hostile name to one harmless path component: only the part after the last "/" or
// "\" is kept (a drive prefix such as "C:" goes too), control characters, NUL, DEL and the
// Unicode direction overrides are removed, leading dots and trailing dots and blanks are
// dropped, "." and ".." are refused, and the result is cut at 255 bytes without splitting a
// UTF-8 character. When nothing usable is left, the result is `fallback` ("attachment" when the
// fallback itself is not usable). The result is never empty, never starts with a dot and never
// holds a path separator.
std::string safeFileName(std::string_view name, std::string_view fallback = "attachment");

// The path of `name` (made safe) inside `folder`, which must exist. Throws std::system_error
// when the folder is not a directory or the target is a symbolic link or a directory, so a
// file is never written outside the folder or through a link.
std::filesystem::path safeTargetPath(const std::filesystem::path& folder, std::string_view name);

}  // namespace velmora::mime
