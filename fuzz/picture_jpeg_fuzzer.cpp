// The picture viewer's JPEG decoder on arbitrary bytes (the first byte picks actual size or a
// small area to fit): nothing may crash, leak or exit; a picture has exactly the pixels its
// scale gives its declared size, and a failure always has its text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/jpeg_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora::tools;
    if (size < 1) return 0;
    JpegDecodeRequest request;
    if (data[0] & 1) request = {1 + (data[0] >> 1), 1 + (data[0] >> 2)};
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const JpegDecodeResult result = decodeJpeg(bytes, request);
    if (!result.picture) {
        if (result.error.empty()) __builtin_trap();
        return 0;
    }
    const JpegPicture& p = *result.picture;
    const int d = p.scaleDenominator;
    if (d != 1 && d != 2 && d != 4 && d != 8) __builtin_trap();
    if (p.width != (p.trueWidth + d - 1) / d || p.height != (p.trueHeight + d - 1) / d)
        __builtin_trap();
    if (p.rgb.size() != static_cast<std::size_t>(p.width) * p.height * 3) __builtin_trap();
    return 0;
}
