// The orientation a camera records in a JPEG file's Exif block (APP1): a phone held upright or
// sideways writes its pixels the same way and says in the Orientation tag how they are to be
// turned for showing. Values 1 to 8 as the Exif standard numbers them; 1 is "as stored".
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora::tools {

// The Orientation tag of IFD0 in an APP1 marker's data ("Exif\0\0" and a TIFF block, either
// byte order); 1 when the data is no Exif block, lacks the tag or holds a value outside 1 to 8.
// Every offset is checked against the data: a damaged block reads as 1.
int exifOrientation(std::string_view app1);

// Orientations 5 to 8 turn the picture by a quarter: width and height change places.
inline bool orientationSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Turns and mirrors `rgb` (width * height * 3 bytes, rows from the top) as `orientation` asks;
// width and height become the shown picture's.
void orientRgb(std::vector<std::uint8_t>& rgb, int& width, int& height, int orientation);

}  // namespace velmora::tools
