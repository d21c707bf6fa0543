// The MIME type of a file by its extension: the system's table (/etc/mime.types) when present,
// a small built-in table of the common types otherwise.
#pragma once

#include <string>
#include <string_view>

namespace velmora::mime {

// "application/pdf" for "report.PDF" (the extension compared case-insensitively);
// "application/octet-stream" when nothing is known, also for names without an extension.
std::string ContentTypeForFile(std::string_view fileName);

}  // namespace velmora::mime
