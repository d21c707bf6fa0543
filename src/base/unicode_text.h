// Lower case of UTF-8 text in any script (ICU's simple case mappings, one character for one).
// Bytes that are not well-formed UTF-8 are kept as they are, so nothing of a note is lost.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::string lowerCase(std::string_view text);

}  // namespace velmora
