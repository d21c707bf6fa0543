// The picture viewer's decoder on pictures made by libjpeg's compressor and on damaged and
// hostile data: every colour model becomes RGB, every failure is a text, never a crash, and
// large pictures are decoded at a reduced scale that keeps their true size.
#include "tools/jpeg_picture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <functional>

#include "support/jpeg_samples.h"
#include "support/temp_dir.h"
#include "tools/picture_orientation.h"

namespace velmora::tools {
namespace {

using testing::JpegKind;
using testing::JpegSample;
using testing::makeJpeg;

struct Rgb {
    int r, g, b;
};

Rgb pixel(const JpegPicture& picture, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * picture.width + x) * 3;
    return {picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
}

void expectNear(Rgb got, Rgb want, const std::string& what) {
    constexpr int kTolerance = 12;  // JPEG is lossy, and colours bleed at 4:2:0
    EXPECT_NEAR(got.r, want.r, kTolerance) << what;
    EXPECT_NEAR(got.g, want.g, kTolerance) << what;
    EXPECT_NEAR(got.b, want.b, kTolerance) << what;
}

// A sample whose frame header declares other dimensions than its data.
std::string withDeclaredSize(std::string jpeg, unsigned width, unsigned height) {
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) != 0xFF || (marker != 0xC0 && marker != 0xC2))
            continue;
        jpeg[i + 5] = static_cast<char>(height >> 8), jpeg[i + 6] = static_cast<char>(height);
        jpeg[i + 7] = static_cast<char>(width >> 8), jpeg[i + 8] = static_cast<char>(width);
        return jpeg;
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

// Where the compressed picture data begin: after the first scan header.
std::size_t scanData(const std::string& jpeg) {
    const std::size_t sos = jpeg.find("\xFF\xDA");
    EXPECT_NE(sos, std::string::npos);
    const std::size_t length = static_cast<unsigned char>(jpeg[sos + 2]) * 256u +
                               static_cast<unsigned char>(jpeg[sos + 3]);
    return sos + 2 + length;
}

struct ColourCase {
    const char* name;
    JpegSample sample;
    Rgb left;  // the colour the left half decodes to
};

TEST(JpegPicture, EveryColourModelBecomesRgb) {
    const ColourCase cases[] = {
        {"baseline colour", {}, {200, 30, 40}},
        {"progressive colour", {.progressive = true}, {200, 30, 40}},
        // 0.299 R + 0.587 G + 0.114 B of the sample colour, as a grey.
        {"greyscale", {.kind = JpegKind::Greyscale}, {82, 82, 82}},
        {"plain CMYK", {.kind = JpegKind::Cmyk}, {200, 30, 40}},
        {"Adobe's inverted CMYK", {.kind = JpegKind::AdobeCmyk}, {200, 30, 40}},
    };
    for (const ColourCase& c : cases) {
        JpegSample sample = c.sample;
        sample.width = 32, sample.height = 16;
        const JpegDecodeResult result = decodeJpeg(makeJpeg(sample), {});
        ASSERT_TRUE(result.picture) << c.name << ": " << result.error;
        const JpegPicture& picture = *result.picture;
        EXPECT_EQ(picture.width, 32) << c.name;
        EXPECT_EQ(picture.height, 16) << c.name;
        EXPECT_EQ(picture.trueWidth, 32) << c.name;
        EXPECT_EQ(picture.scaleDenominator, 1) << c.name;
        ASSERT_EQ(picture.rgb.size(), 32u * 16 * 3) << c.name;
        EXPECT_EQ(picture.warning, "") << c.name;
        expectNear(pixel(picture, 4, 8), c.left, c.name);
        expectNear(pixel(picture, 28, 8), {255, 255, 255}, c.name);
    }
}

struct DamageCase {
    const char* name;
    std::function<std::string()> bytes;
    // Expected: an error text beginning so, or else a picture with this warning.
    const char* error;
    const char* warning;
};

TEST(JpegPicture, DamagedAndForeignDataGiveATextNeverACrash) {
    const std::string good = makeJpeg({.width = 64, .height = 64});
    const std::size_t data = scanData(good);
    ASSERT_LT(data + 16, good.size());
    const DamageCase cases[] = {
        {"zero length", [] { return std::string(); }, "Empty input file", nullptr},
        {"garbage", [] { return std::string("hello, this is no picture"); },
         "Not a JPEG file: starts with 0x68 0x65", nullptr},
        {"a PNG", [] { return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16); },
         "Not a JPEG file: starts with 0x89 0x50", nullptr},
        {"cut inside the header", [&] { return good.substr(0, 40); }, "", nullptr},
        {"only the start marker", [] { return std::string("\xFF\xD8"); }, "", nullptr},
        // The data that arrived is shown, the rest grey, and the warning says why.
        {"cut inside the picture data",
         [&] { return good.substr(0, data + (good.size() - data) / 2); }, nullptr,
         "Premature end of JPEG file"},
        {"garbage in the picture data",
         [&] {
             std::string damaged = good;
             for (std::size_t i = data; i < damaged.size() - 2; ++i)
                 damaged[i] = static_cast<char>(i * 7);
             return damaged;
         },
         nullptr, ""},
        {"65500 x 65500 declared", [&] { return withDeclaredSize(good, 65500, 65500); },
         "The picture is too large to be shown (65500 x 65500 pixels)", nullptr},
        {"no width declared", [&] { return withDeclaredSize(good, 0, 64); }, "", nullptr},
    };
    for (const DamageCase& c : cases) {
        const JpegDecodeResult result = decodeJpeg(c.bytes(), {});
        if (c.error) {
            EXPECT_FALSE(result.picture) << c.name;
            EXPECT_FALSE(result.error.empty()) << c.name;
            EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << c.name << ": " << result.error;
            continue;
        }
        ASSERT_TRUE(result.picture) << c.name << ": " << result.error;
        EXPECT_EQ(result.picture->rgb.size(), 64u * 64 * 3) << c.name;
        if (*c.warning) {
            EXPECT_EQ(result.picture->warning, c.warning) << c.name;
        }
    }
}

TEST(JpegPicture, AFittedPictureIsDecodedAtAReducedScaleAndKeepsItsTrueSize) {
    const std::string jpeg = makeJpeg({.width = 1600, .height = 1200});
    struct {
        JpegDecodeRequest request;
        int denominator, width, height;
    } const cases[] = {
        {{}, 1, 1600, 1200},            // actual size
        {{200, 150}, 8, 200, 150},      // exactly an eighth
        {{400, 1000}, 4, 400, 300},     // the width limits
        {{1000, 700}, 1, 1600, 1200},   // 1/2 would be smaller than the fitted 933 x 700
        {{4000, 4000}, 1, 1600, 1200},  // never enlarged
        {{1, 1}, 8, 200, 150},          // no more than 1/8
    };
    for (const auto& c : cases) {
        const JpegDecodeResult result = decodeJpeg(jpeg, c.request);
        ASSERT_TRUE(result.picture) << result.error;
        EXPECT_EQ(result.picture->scaleDenominator, c.denominator) << c.request.fitWidth;
        EXPECT_EQ(result.picture->width, c.width) << c.request.fitWidth;
        EXPECT_EQ(result.picture->height, c.height) << c.request.fitWidth;
        EXPECT_EQ(result.picture->trueWidth, 1600);
        EXPECT_EQ(result.picture->trueHeight, 1200);
        EXPECT_EQ(result.picture->rgb.size(), std::size_t(c.width) * c.height * 3);
        expectNear(pixel(*result.picture, c.width / 4, c.height / 2), {200, 30, 40}, "scaled");
    }
    // The decoded pixels are bounded however large the picture: 10000 x 9000 shown at actual
    // size comes at half the size.
    EXPECT_EQ(jpegScaleDenominator(10000, 9000, {}), 2);
    EXPECT_EQ(jpegScaleDenominator(6000, 8000, {}), 1);
}

// The camera's orientation: a 32 x 16 picture coloured in its top left quarter, shown turned and
// mirrored as each Exif value says; where the coloured quarter lands, and the shown size.
TEST(JpegPicture, APictureTakenSidewaysIsShownUpright) {
    enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };
    struct {
        int orientation;
        Corner coloured;
    } const cases[] = {{1, TopLeft},     {2, TopRight},   {3, BottomRight},
                       {4, BottomLeft},  {5, TopLeft},    {6, TopRight},
                       {7, BottomRight}, {8, BottomLeft}, {9, TopLeft}};  // out of range: as stored
    for (const auto& c : cases) {
        JpegSample sample{.width = 32, .height = 16, .colourTopLeftOnly = true};
        sample.exifOrientation = c.orientation;
        const JpegDecodeResult result = decodeJpeg(makeJpeg(sample), {});
        ASSERT_TRUE(result.picture) << result.error;
        const JpegPicture& shown = *result.picture;
        const bool turned = c.orientation >= 5 && c.orientation <= 8;
        EXPECT_EQ(shown.width, turned ? 16 : 32) << c.orientation;
        EXPECT_EQ(shown.height, turned ? 32 : 16) << c.orientation;
        EXPECT_EQ(shown.trueWidth, shown.width) << c.orientation;
        const int centres[4][2] = {{shown.width / 4, shown.height / 4},
                                   {shown.width * 3 / 4, shown.height / 4},
                                   {shown.width / 4, shown.height * 3 / 4},
                                   {shown.width * 3 / 4, shown.height * 3 / 4}};
        for (int corner = TopLeft; corner <= BottomRight; ++corner) {
            const Rgb want = corner == c.coloured ? Rgb{200, 30, 40} : Rgb{255, 255, 255};
            expectNear(pixel(shown, centres[corner][0], centres[corner][1]), want,
                       "orientation " + std::to_string(c.orientation) + ", corner " +
                           std::to_string(corner));
        }
    }
    // Fitting a sideways picture fits it as shown: 1600 x 1200 stored, 1200 x 1600 shown.
    JpegSample tall{.width = 1600, .height = 1200};
    tall.exifOrientation = 6;
    const JpegDecodeResult fitted = decodeJpeg(makeJpeg(tall), {300, 400});
    ASSERT_TRUE(fitted.picture) << fitted.error;
    EXPECT_EQ(fitted.picture->scaleDenominator, 4);
    EXPECT_EQ(fitted.picture->width, 300);
    EXPECT_EQ(fitted.picture->height, 400);
}

TEST(PictureOrientation, TheExifTagIsReadInEitherByteOrderAndADamagedBlockReadsAsStored) {
    using testing::exifBlock;
    EXPECT_EQ(exifOrientation(exifBlock(6)), 6);
    EXPECT_EQ(exifOrientation(exifBlock(8, true)), 8);
    const std::string good = exifBlock(3);
    std::string otherType = good;
    otherType[6 + 10 + 12 + 2] = 4;  // the orientation entry says LONG
    std::string farIfd = good;
    farIfd[6 + 4] = 'x';  // IFD0 far beyond the block
    // An entry count running past the block: the entries that are there are read.
    std::string manyEntries = good;
    manyEntries[6 + 8] = char(0xFF), manyEntries[6 + 9] = char(0xFF);
    EXPECT_EQ(exifOrientation(manyEntries), 3);
    std::string noTag = manyEntries;
    noTag[6 + 10 + 12] = 0x13;  // the orientation entry is another tag
    for (const std::string& damaged :
         {std::string(), std::string("Exif"), good.substr(0, 12), good.substr(0, 30),
          std::string("JFIF\0\0") + good.substr(6), "Exif\0\0XX" + good.substr(8), otherType,
          farIfd, noTag, exifBlock(0), exifBlock(0xFFFF)})
        EXPECT_EQ(exifOrientation(damaged), 1) << damaged.size();
}

TEST(JpegPicture, OnlyARegularFileIsRead) {
    testing::TempDir dir;
    testing::writeFile(dir / "good.jpg", makeJpeg({}));
    ASSERT_EQ(mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder.jpg");

    const JpegDecodeResult good = decodeJpegFile(dir / "good.jpg", {});
    ASSERT_TRUE(good.picture) << good.error;
    EXPECT_EQ(good.picture->width, 16);
    for (const char* name : {"pipe.jpg", "folder.jpg", "missing.jpg"}) {
        const JpegDecodeResult result = decodeJpegFile(dir / name, {});
        EXPECT_FALSE(result.picture) << name;
        EXPECT_FALSE(result.error.empty()) << name;
    }
    EXPECT_EQ(decodeJpegFile(dir / "folder.jpg", {}).error, "Is a directory");
}

}  // namespace
}  // namespace velmora::tools
