#include "tools/picture_orientation.h"

#include <cstddef>
#include <cstring>
#include <utility>

namespace velmora::tools {

namespace {

constexpr std::string_view kExifHeader{"Exif\0\0", 6};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntryBytes = 12;

class TiffReader {
  public:
    explicit TiffReader(std::string_view tiff) : tiff_(tiff) {}
    bool readByteOrder() {
        if (tiff_.size() < 8) return false;
        if (tiff_.substr(0, 2) == "II") {
            little_ = true;
        } else if (tiff_.substr(0, 2) != "MM") {
            return false;
        }
        std::uint16_t magic = 0;
        return u16(2, magic) && magic == 42;
    }
    bool u16(std::size_t at, std::uint16_t& value) const {
        if (at > tiff_.size() || tiff_.size() - at < 2) return false;
        const auto* p = reinterpret_cast<const unsigned char*>(tiff_.data() + at);
        value = little_ ? static_cast<std::uint16_t>(p[0] | p[1] << 8)
                        : static_cast<std::uint16_t>(p[0] << 8 | p[1]);
        return true;
    }
    bool u32(std::size_t at, std::uint32_t& value) const {
        if (at > tiff_.size() || tiff_.size() - at < 4) return false;
        const auto* p = reinterpret_cast<const unsigned char*>(tiff_.data() + at);
        value = little_ ? (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                           std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24)
                        : (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                           std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]});
        return true;
    }

  private:
    std::string_view tiff_;
    bool little_ = false;
};

}  // namespace

int exifOrientation(std::string_view app1) {
    if (app1.substr(0, kExifHeader.size()) != kExifHeader) return 1;
    TiffReader tiff(app1.substr(kExifHeader.size()));
    std::uint32_t ifd = 0;
    std::uint16_t entries = 0;
    if (!tiff.readByteOrder() || !tiff.u32(4, ifd) || !tiff.u16(ifd, entries)) return 1;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = std::size_t{ifd} + 2 + i * kEntryBytes;
        std::uint16_t tag = 0, type = 0, value = 0;
        std::uint32_t count = 0;
        if (!tiff.u16(entry, tag) || !tiff.u16(entry + 2, type) || !tiff.u32(entry + 4, count))
            return 1;
        if (tag != kOrientationTag) continue;
        if (type != kShortType || count != 1 || !tiff.u16(entry + 8, value)) return 1;
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

void orientRgb(std::vector<std::uint8_t>& rgb, int& width, int& height, int orientation) {
    if (orientation < 2 || orientation > 8 || width <= 0 || height <= 0) return;
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    const bool swap = orientationSwapsSides(orientation);
    const std::size_t outW = swap ? h : w;
    const std::size_t outH = swap ? w : h;
    std::vector<std::uint8_t> out(rgb.size());
    for (std::size_t y = 0; y < outH; ++y) {
        for (std::size_t x = 0; x < outW; ++x) {
            // Where the shown pixel (x, y) lies in the stored picture.
            std::size_t sx = x, sy = y;
            switch (orientation) {
                case 2:
                    sx = w - 1 - x;
                    break;  // mirrored left to right
                case 3:
                    sx = w - 1 - x, sy = h - 1 - y;
                    break;  // half a turn
                case 4:
                    sy = h - 1 - y;
                    break;  // mirrored top to bottom
                case 5:
                    sx = y, sy = x;
                    break;  // mirrored on the diagonal
                case 6:
                    sx = y, sy = h - 1 - x;
                    break;  // a quarter turn clockwise
                case 7:
                    sx = w - 1 - y, sy = h - 1 - x;
                    break;  // the other diagonal
                case 8:
                    sx = w - 1 - y, sy = x;
                    break;  // a quarter turn back
            }
            std::memcpy(&out[(y * outW + x) * 3], &rgb[(sy * w + sx) * 3], 3);
        }
    }
    rgb = std::move(out);
    width = static_cast<int>(outW);
    height = static_cast<int>(outH);
}

}  // namespace velmora::tools
