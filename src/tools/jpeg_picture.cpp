#include "tools/jpeg_picture.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "base/file_access.h"
#include "base/text_file.h"
#include "tools/picture_orientation.h"

namespace velmora::tools {

namespace {

// libjpeg reports a fatal error through error_exit, which must not return: it jumps back to the
// setjmp of decodeInto. Only libjpeg's C frames and the callbacks below lie between the two, and
// none of them holds an object with a destructor, so the jump skips nothing that needs cleaning
// up; libjpeg's own memory goes with jpeg_destroy_decompress.
struct ErrorManager {
    jpeg_error_mgr pub;  // first: libjpeg is handed a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char firstWarning[JMSG_LENGTH_MAX];
};

ErrorManager& errorManagerOf(j_common_ptr cinfo) {
    return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void failWith(j_common_ptr cinfo, const char* text) {
    ErrorManager& err = errorManagerOf(cinfo);
    std::snprintf(err.message, sizeof err.message, "%s", text);
    std::longjmp(err.jump, 1);
}

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    ErrorManager& err = errorManagerOf(cinfo);
    (*cinfo->err->format_message)(cinfo, err.message);
    std::longjmp(err.jump, 1);
}

// Warnings (level -1) about damaged data are counted, the first one kept; trace messages are
// dropped. Nothing is ever written to stderr.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    ErrorManager& err = errorManagerOf(cinfo);
    if (err.pub.num_warnings++ == 0) (*cinfo->err->format_message)(cinfo, err.firstWarning);
}

void outputMessage(j_common_ptr) {}

void limitScans(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
        failWith(cinfo, "The picture holds too many scans to be shown");
}

void cmykToRgb(const JSAMPLE* cmyk, std::uint8_t* rgb, JDIMENSION width, bool adobeInverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        // Adobe's programs store CMYK inverted: 255 means no ink.
        const unsigned k = adobeInverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned ink = adobeInverted ? cmyk[c] : 255u - cmyk[c];
            rgb[c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
    }
}

// Decodes `bytes` into `out`; false with err.message set on failure. The caller destroys
// `cinfo` in either case. No local here has a destructor (see ErrorManager).
bool decodeInto(jpeg_decompress_struct& cinfo, ErrorManager& err, jpeg_progress_mgr& progress,
                std::string_view bytes, const JpegDecodeRequest& request, JpegPicture& out) {
    if (setjmp(err.jump)) return false;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxJpegDecoderMemory;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);  // Exif, for the orientation
    jpeg_read_header(&cinfo, TRUE);
    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1) continue;
        const int orientation =
            exifOrientation({reinterpret_cast<const char*>(marker->data), marker->data_length});
        if (orientation != 1) {
            out.orientation = orientation;
            break;
        }
    }

    const std::uint64_t pixels = std::uint64_t{cinfo.image_width} * cinfo.image_height;
    if (pixels > kMaxJpegPixels) {
        std::snprintf(err.message, sizeof err.message,
                      "The picture is too large to be shown (%u x %u pixels)", cinfo.image_width,
                      cinfo.image_height);
        return false;
    }
    out.trueWidth = static_cast<int>(cinfo.image_width);
    out.trueHeight = static_cast<int>(cinfo.image_height);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // Greyscale and YCbCr become RGB inside libjpeg; CMYK is converted below.
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    cinfo.scale_num = 1;
    // The fitted area holds the picture as shown: turned by a quarter, its sides change places.
    JpegDecodeRequest stored = request;
    if (orientationSwapsSides(out.orientation)) std::swap(stored.fitWidth, stored.fitHeight);
    cinfo.scale_denom =
        static_cast<unsigned>(jpegScaleDenominator(out.trueWidth, out.trueHeight, stored));
    jpeg_start_decompress(&cinfo);

    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.scaleDenominator = static_cast<int>(cinfo.scale_denom);
    const std::size_t stride = std::size_t{cinfo.output_width} * 3;
    out.rgb.resize(stride * cinfo.output_height);
    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                             cinfo.output_width * 4, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint8_t* target = out.rgb.data() + stride * cinfo.output_scanline;
        JSAMPROW row = cmyk ? cmykRow[0] : target;
        // The memory source never suspends (its end reads as the end of the picture), so every
        // call gives a row; a zero would otherwise loop forever.
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            failWith(reinterpret_cast<j_common_ptr>(&cinfo), "The picture data ended early");
        if (cmyk) cmykToRgb(cmykRow[0], target, cinfo.output_width, cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

int jpegScaleDenominator(int trueWidth, int trueHeight, const JpegDecodeRequest& request) {
    if (trueWidth <= 0 || trueHeight <= 0) return 1;
    const double w = trueWidth;
    const double h = trueHeight;
    int denominator = 1;
    if (request.fitWidth > 0 && request.fitHeight > 0) {
        // The fitted picture: shrunk to the area, never enlarged.
        double fit = std::min(request.fitWidth / w, request.fitHeight / h);
        if (fit > 1) fit = 1;
        while (denominator < 8 && w / (denominator * 2) >= w * fit &&
               h / (denominator * 2) >= h * fit)
            denominator *= 2;
    }
    auto decodedPixels = [&](int d) {
        return std::uint64_t((trueWidth + d - 1) / d) * std::uint64_t((trueHeight + d - 1) / d);
    };
    while (denominator < 8 && decodedPixels(denominator) > kMaxDecodedPixels) denominator *= 2;
    return denominator;
}

JpegDecodeResult decodeJpeg(std::string_view bytes, const JpegDecodeRequest& request) {
    JpegDecodeResult result;
    if (bytes.size() > kMaxJpegFileBytes) {
        result.error = "The file is too large to be a picture";
        return result;
    }
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.pub.output_message = outputMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = limitScans;

    JpegPicture picture;
    bool decoded = false;
    try {
        decoded = decodeInto(cinfo, err, progress, bytes, request, picture);
    } catch (const std::bad_alloc&) {
        std::snprintf(err.message, sizeof err.message, "Not enough memory to show the picture");
    }
    jpeg_destroy_decompress(&cinfo);
    if (!decoded) {
        result.error = err.message[0] ? err.message : "The picture cannot be decoded";
        return result;
    }
    picture.warning = err.firstWarning;
    orientRgb(picture.rgb, picture.width, picture.height, picture.orientation);
    if (orientationSwapsSides(picture.orientation))
        std::swap(picture.trueWidth, picture.trueHeight);
    result.picture = std::move(picture);
    return result;
}

JpegDecodeResult decodeJpegFile(const std::filesystem::path& file,
                                const JpegDecodeRequest& request) {
    std::error_code error;
    const std::optional<std::string> bytes = readRegularFile(file, error, kMaxJpegFileBytes);
    if (!bytes) {
        JpegDecodeResult result;
        result.error = error == std::errc::file_too_large
                           ? "The file is too large to be a picture (over " +
                                 std::to_string(kMaxJpegFileBytes / (1024 * 1024)) + " MB)"
                           : errorText(error);
        return result;
    }
    return decodeJpeg(*bytes, request);
}

}  // namespace velmora::tools
