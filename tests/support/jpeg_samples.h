// JPEG pictures made for the tests with libjpeg's compressor: colour, greyscale and CMYK (plain
// or inverted as Adobe's programs write it), baseline or progressive, filled with a known
// pattern so a decoded pixel can be checked.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::testing {

enum class JpegKind { Colour, Greyscale, Cmyk, AdobeCmyk };

struct JpegSample {
    int width = 16;
    int height = 8;
    JpegKind kind = JpegKind::Colour;
    bool progressive = false;
    int quality = 95;
    // The left half is this colour, the right half white.
    std::uint8_t red = 200, green = 30, blue = 40;
};

// The bytes of a JPEG file.
std::string makeJpeg(const JpegSample& sample);

}  // namespace velmora::testing
