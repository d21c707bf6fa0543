#include "support/jpeg_samples.h"

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace velmora::testing {

std::string exifBlock(int orientation, bool bigEndian) {
    auto u16 = [bigEndian](unsigned v) {
        return bigEndian ? std::string{char(v >> 8), char(v & 0xFF)}
                         : std::string{char(v & 0xFF), char(v >> 8)};
    };
    auto u32 = [&](unsigned v) {
        return bigEndian ? u16(v >> 16) + u16(v & 0xFFFF) : u16(v & 0xFFFF) + u16(v >> 16);
    };
    std::string block("Exif\0\0", 6);
    block += bigEndian ? "MM" : "II";
    block += u16(42) + u32(8);  // IFD0 right after the header
    block += u16(2);            // two entries: another tag first, then the orientation
    block += u16(0x010F) + u16(2) + u32(4) + std::string("Cam\0", 4);
    block += u16(0x0112) + u16(3) + u32(1) + u16(static_cast<unsigned>(orientation)) + u16(0);
    block += u32(0);  // no further IFD
    return block;
}

std::string makeJpeg(const JpegSample& sample) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);  // a test sample that fails to compress ends the test
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = static_cast<JDIMENSION>(sample.width);
    cinfo.image_height = static_cast<JDIMENSION>(sample.height);
    const bool cmyk = sample.kind == JpegKind::Cmyk || sample.kind == JpegKind::AdobeCmyk;
    cinfo.input_components = sample.kind == JpegKind::Greyscale ? 1 : cmyk ? 4 : 3;
    cinfo.in_color_space = sample.kind == JpegKind::Greyscale ? JCS_GRAYSCALE
                           : cmyk                             ? JCS_CMYK
                                                              : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, sample.quality, TRUE);
    if (cmyk) {
        jpeg_set_colorspace(&cinfo, JCS_CMYK);
        // libjpeg writes the Adobe marker for CMYK; a plain CMYK file goes without it.
        cinfo.write_Adobe_marker = sample.kind == JpegKind::AdobeCmyk;
    }
    if (sample.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    if (sample.exifOrientation != 0) {
        const std::string exif = exifBlock(sample.exifOrientation);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                          static_cast<unsigned>(exif.size()));
    }

    std::vector<unsigned char> row(static_cast<std::size_t>(sample.width) *
                                   static_cast<std::size_t>(cinfo.input_components));
    for (int x = 0; x < sample.width; ++x) {
        const bool left = x < sample.width / 2;
        unsigned char* p = row.data() + static_cast<std::size_t>(x) * cinfo.input_components;
        const unsigned char r = left ? sample.red : 255, g = left ? sample.green : 255,
                            b = left ? sample.blue : 255;
        if (sample.kind == JpegKind::Greyscale) {
            p[0] = static_cast<unsigned char>((r * 299 + g * 587 + b * 114) / 1000);
        } else if (cmyk) {
            // No black ink; the Adobe kind stores every value inverted.
            unsigned char c = 255 - r, m = 255 - g, y = 255 - b, k = 0;
            if (sample.kind == JpegKind::AdobeCmyk) c = 255 - c, m = 255 - m, y = 255 - y, k = 255;
            p[0] = c, p[1] = m, p[2] = y, p[3] = k;
        } else {
            p[0] = r, p[1] = g, p[2] = b;
        }
    }
    const std::vector<unsigned char> colourRow = row;
    std::vector<unsigned char> whiteRow = row;
    for (int x = 0; x < sample.width; ++x) {
        unsigned char* p = whiteRow.data() + static_cast<std::size_t>(x) * cinfo.input_components;
        std::copy_n(
            row.data() + static_cast<std::size_t>(sample.width - 1) * cinfo.input_components,
            cinfo.input_components, p);  // the right end is white
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        const bool top = static_cast<int>(cinfo.next_scanline) < sample.height / 2;
        JSAMPROW rows[1] = {const_cast<unsigned char*>(
            sample.colourTopLeftOnly && !top ? whiteRow.data() : colourRow.data())};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

}  // namespace velmora::testing
