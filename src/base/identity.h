// The program's identity strings, used for titles, captions, message texts and stored files.
#pragma once

namespace velmora {

inline constexpr const char* kProductName = "Velmora Pro";
inline constexpr const char* kVersionedName = "Velmora Pro 4.6";
inline constexpr const char* kVersion = "4.6";     // value of X-VL-VLversion on stored messages
inline constexpr const char* kVersionCode = "46";  // first line of settings and layout files

}  // namespace velmora
