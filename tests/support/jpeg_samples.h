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
    // Only the top left quarter is coloured, so that turns and mirrors show.
    bool colourTopLeftOnly = false;
    // An Exif block with this Orientation tag is written; 0: none.
    int exifOrientation = 0;
};

// The data of an APP1 marker holding an Exif block whose IFD0 has the Orientation tag, in
// either byte order.
std::string exifBlock(int orientation, bool bigEndian = false);

// The bytes of a JPEG file.
std::string makeJpeg(const JpegSample& sample);

}  // namespace velmora::testing
