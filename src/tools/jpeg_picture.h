// Decoding JPEG picture files for the picture viewer, through the IJG library (libjpeg-turbo):
// colour, greyscale and CMYK / YCCK pictures (the inverted CMYK of Adobe's programs too) become
// 8-bit RGB pixels. A damaged, truncated or hostile file never crashes the program and never
// fills the memory: every failure is an error text, and the limits below are checked before
// anything large is allocated.
//
// A picture only needed at display size is decoded at a reduced scale (1/2, 1/4 or 1/8, which
// libjpeg does cheaply inside its transform); the picture keeps the dimensions the file declares.
// A picture the camera took sideways comes out upright, as its Exif orientation says.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tools {

// A picture file larger than this is not read: no camera writes JPEG files near it.
inline constexpr std::uint64_t kMaxJpegFileBytes = 128ull * 1024 * 1024;
// Declared dimensions beyond this are refused before decoding: 100 megapixels is more than any
// camera takes, and a tiny hostile file can declare 65500 x 65500.
inline constexpr std::uint64_t kMaxJpegPixels = 100'000'000;
// The decoded pixels are kept to this many; a larger picture is decoded at a reduced scale
// (48 megapixels are 144 MB of RGB).
inline constexpr std::uint64_t kMaxDecodedPixels = 48'000'000;
// What libjpeg may allocate for one picture (the coefficients of a progressive picture are
// kept whole); beyond it decoding stops with an error.
inline constexpr long kMaxJpegDecoderMemory = 640L * 1024 * 1024;
// A progressive picture is drawn anew at every scan; a hostile one holds thousands of tiny scans.
inline constexpr int kMaxJpegScans = 1000;

struct JpegDecodeRequest {
    // The area the picture is shown in when it is fitted to it; 0 x 0: actual size.
    int fitWidth = 0;
    int fitHeight = 0;
};

struct JpegPicture {
    // As the file declares them, turned as the picture is shown (see `orientation`).
    int trueWidth = 0;
    int trueHeight = 0;
    // The camera's Exif orientation (tools/picture_orientation.h), already applied to the
    // pixels and the sizes here: 1 when the file says none.
    int orientation = 1;
    // The decoded pixels: trueWidth / scaleDenominator (rounded up) and alike for the height.
    int width = 0;
    int height = 0;
    int scaleDenominator = 1;  // 1, 2, 4 or 8
    // width * height * 3 bytes, R G B, rows from the top.
    std::vector<std::uint8_t> rgb;
    // The first complaint of the decoder about damaged data it could still show (a truncated
    // file decodes to its end, the rest grey): "" when the picture is whole.
    std::string warning;
};

struct JpegDecodeResult {
    std::optional<JpegPicture> picture;
    std::string error;  // when there is no picture: why
};

// The scale at which a picture of trueWidth x trueHeight is decoded for `request`: the largest
// of 1, 2, 4, 8 that still gives at least the pixels the fitted picture shows, and never more
// decoded pixels than kMaxDecodedPixels.
int jpegScaleDenominator(int trueWidth, int trueHeight, const JpegDecodeRequest& request);

// Decodes the JPEG data in `bytes`. Never throws; on failure `error` holds the decoder's text
// ("Not a JPEG file: starts with 0x89 0x50", "Empty input file").
JpegDecodeResult decodeJpeg(std::string_view bytes, const JpegDecodeRequest& request);

// Reads and decodes `file`: only a regular file of at most kMaxJpegFileBytes is read; a missing
// file, a folder, a device and a read error are errors with the system's text.
JpegDecodeResult decodeJpegFile(const std::filesystem::path& file,
                                const JpegDecodeRequest& request);

}  // namespace velmora::tools
