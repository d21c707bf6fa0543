// Base64, uuencode, quoted-printable and encoded header words.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "mime/base64.h"
#include "mime/errors.h"
#include "mime/header_words.h"
#include "mime/quoted_printable.h"
#include "mime/uuencode.h"

namespace velmora::mime {
namespace {

std::string allBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    return bytes;
}

TEST(Base64, LineLengthsAndPadding) {
    EXPECT_EQ(encodeBase64Line(std::string(57, 'x')).size(), 76u);
    EXPECT_EQ(encodeBase64Line(std::string(57, 'x')).find('='), std::string::npos);
    EXPECT_EQ(encodeBase64Line("A"), "QQ==");
    EXPECT_EQ(encodeBase64Line("AB"), "QUI=");
    EXPECT_EQ(decodeBase64Line("QQ=="), "A");
    EXPECT_EQ(decodeBase64Line("QUI="), "AB");
    EXPECT_EQ(decodeBase64Line(encodeBase64Line(allBytes())), allBytes());
}

// Padding in the middle of a long line ends its group; the groups after it still count.
TEST(Base64, PaddingInsideALongLine) {
    std::string line = "QUJD";
    for (int i = 0; i < 4; ++i) line += line;
    std::string abc16;
    for (int i = 0; i < 16; ++i) abc16 += "ABC";
    EXPECT_EQ(decodeBase64Line(line + "QQ==" + line), abc16 + "A" + abc16);
}

// Base64 six bits at a time, as the standard writes it down.
std::string base64ByHand(std::string_view bytes) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t bit = 0; bit < bytes.size() * 8; bit += 6) {
        unsigned value = 0;
        for (std::size_t k = bit; k < bit + 6; ++k) {
            const bool set = k < bytes.size() * 8 &&
                             (static_cast<unsigned char>(bytes[k / 8]) >> (7 - k % 8)) & 1;
            value = value << 1 | (set ? 1 : 0);
        }
        out += alphabet[value];
    }
    while (out.size() % 4 != 0) out += '=';
    return out;
}

// Long inputs of every length up to a few blocks, in both directions.
TEST(Base64, LongInputsMatchTheStandard) {
    std::mt19937 random(5);
    for (std::size_t size = 0; size < 300; ++size) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        const std::string text = base64ByHand(bytes);
        ASSERT_EQ(encodeBase64Line(bytes), text) << size;
        ASSERT_EQ(decodeBase64Line(text), bytes) << size;
    }
}

// Every byte value at each place of a group inside a long line: the alphabet decodes, "=" counts
// as zero bits (ending the group when it is last) and anything else is refused.
TEST(Base64, EveryByteInALongLine) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t place = 0; place < 4; ++place) {
        for (int byte = 0; byte < 256; ++byte) {
            std::string line(96, 'A');
            line[40 + place] = static_cast<char>(byte);
            const std::size_t value = alphabet.find(static_cast<char>(byte));
            std::string expected(72, '\0');
            if (value != std::string::npos) {
                const unsigned group = static_cast<unsigned>(value) << (6 * (3 - place));
                expected[30] = static_cast<char>(group >> 16);
                expected[31] = static_cast<char>(group >> 8);
                expected[32] = static_cast<char>(group);
            } else if (byte == '=') {
                if (place == 3) expected.erase(32, 1);
            } else {
                EXPECT_THROW(decodeBase64Line(line), EMessageParserError) << place << " " << byte;
                continue;
            }
            EXPECT_EQ(decodeBase64Line(line), expected) << place << " " << byte;
        }
    }
}

// Every character at each place of a group, in a line long enough for the bulk of the decoder.
TEST(Base64, EveryCharacterInEveryPlace) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t place = 0; place < 4; ++place) {
        for (unsigned value = 0; value < 64; ++value) {
            std::string line(80, 'A');
            line[40 + place] = alphabet[value];
            const unsigned group = value << (6 * (3 - place));
            std::string expected(60, '\0');
            expected[30] = static_cast<char>(group >> 16);
            expected[31] = static_cast<char>(group >> 8);
            expected[32] = static_cast<char>(group);
            EXPECT_EQ(decodeBase64Line(line), expected) << place << " " << value;
        }
    }
}

TEST(Base64, LinesOfAttachmentData) {
    const std::string data = allBytes() + allBytes() + allBytes() + allBytes() + allBytes();
    for (const std::size_t size : {0, 1, 2, 3, 56, 57, 58, 114, 115, 1000, 1280}) {
        SCOPED_TRACE(size);
        const std::string_view bytes = std::string_view(data).substr(0, size);
        std::string expected = "before";
        for (std::size_t at = 0; at < size; at += kBase64LineBytes)
            expected += encodeBase64Line(bytes.substr(at, kBase64LineBytes)) + "\r\n";
        std::string out = "before";
        appendBase64Lines(bytes, out);
        EXPECT_EQ(out, expected);
    }
}

TEST(Base64, BadCharactersRaiseInvalidCharacter) {
    const std::string groups(40, 'Q');
    for (const std::string& line : {std::string("QU JD"), std::string("QUJD*"),
                                    std::string("Q\x01JD"), groups + "*" + groups}) {
        try {
            decodeBase64Line(line);
            ADD_FAILURE() << line;
        } catch (const EMessageParserError& error) {
            EXPECT_STREQ(error.what(), "Invalid Character");
        }
    }
}

TEST(Base64, LinesOfOddLengthLoseNothing) {
    // Whole groups of a line, a final partial group, and groups split over lines.
    EXPECT_EQ(decodeBase64Line("QUJDRA"), "ABCD");
    EXPECT_EQ(decodeBase64Line("QUJDREU"), "ABCDE");
    EXPECT_EQ(decodeBase64Line("QUJDR"), "ABC");
    std::string out;
    Base64Decoder decoder;
    for (const char* line : {"QUJ", "DREVG", "R0g="}) decoder.feedLine(line, out);
    decoder.finish(out);
    EXPECT_EQ(out, "ABCDEFGH");
    EXPECT_EQ(decodeBase64Line("QUJD  "), "ABC");  // blanks after the data
}

TEST(Uuencode, LineShapes) {
    const std::string full = encodeUuLine(std::string(45, 'a'));
    EXPECT_EQ(full.size(), 61u);
    EXPECT_EQ(full[0], 'M');
    EXPECT_EQ(encodeUuLine(std::string(10, 'a')).size(), 15u);
    EXPECT_EQ(encodeUuLine(""), "`");
    EXPECT_EQ(encodeUuLine(std::string(3, '\0')), "#````");
    const std::string bytes = allBytes();
    for (std::size_t i = 0; i < bytes.size(); i += 45) {
        const std::string piece = bytes.substr(i, 45);
        EXPECT_EQ(decodeUuLine(encodeUuLine(piece)), piece);
    }
}

TEST(Uuencode, DecodingKeepsToTheLengthCharacter) {
    EXPECT_EQ(decodeUuLine("!86)C"), "a");                   // one byte although two could be read
    EXPECT_EQ(decodeUuLine("#    "), std::string(3, '\0'));  // blank is zero, as old encoders wrote
    EXPECT_THROW(decodeUuLine("#abc{"), EMessageParserError);
}

// A length character that claims more than the line carries gives only what the characters
// hold, six bits each: a line of "_" alone once decoded to 63 bytes (31 times its size).
TEST(Uuencode, DecodingNeverGivesMoreThanTheCharactersHold) {
    struct Case {
        const char* line;
        std::size_t bytes;
    };
    constexpr Case cases[] = {
        {"_", 0},      // claims 63, holds nothing
        {"#", 0},      // claims 3; blanks a transport stripped are not made up
        {"_86)C", 3},  // claims 63, four characters hold 3 bytes
        {"_86)", 2},   // three characters hold 18 bits: 2 bytes
        {"M86)C", 3},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeUuLine(c.line).size(), c.bytes) << c.line;
    EXPECT_EQ(decodeUuLine("_86)C"), "abc");
}

TEST(Uuencode, BeginLines) {
    struct Case {
        const char* line;
        bool begin;
        const char* name;
    };
    const Case cases[] = {
        {"begin 644 report.doc", true, "report.doc"},
        {"BEGIN 600 \"two words.txt\"", true, "two words.txt"},
        {"begin 644 first second", true, "first"},
        {"begin 0644 mode-with-four-digits.bin", true, "mode-with-four-digits.bin"},
        {"begin 644", true, ""},
        {"begin 64", false, ""},
        {"begin here we go", false, ""},
        {"beginning 644 x", false, ""},
        {"begin 644 \"unterminated", true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isUuBeginLine(c.line), c.begin) << c.line;
        EXPECT_EQ(uuBeginLineFileName(c.line), c.name) << c.line;
    }
}

std::vector<std::string> qpEncode(const std::string& bytes) {
    std::vector<std::string> lines;
    TQuotedPrintable::Encode(bytes, lines);
    return lines;
}

std::string qpDecode(const std::vector<std::string>& lines) {
    std::string out;
    TQuotedPrintable::Decode(lines, out);
    return out;
}

TEST(QuotedPrintable, EncodingCutsLongParagraphsBeforeASpace) {
    std::string text;
    while (text.size() < 100) text += "word ";
    text.resize(100);
    const auto lines = qpEncode(text + "\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_LE(lines[0].size(), 66u);
    EXPECT_EQ(lines[0].back(), '=');
    EXPECT_EQ(lines[1].front(), ' ');
    EXPECT_EQ(qpDecode(lines), text + "\r\n");
}

TEST(QuotedPrintable, EncodingEscapes) {
    EXPECT_EQ(qpEncode("a\tb=c\xE9 d \r\n"), std::vector<std::string>{"a=09b=3Dc=E9 d "});
    EXPECT_EQ(qpEncode(std::string(70, 'x') + "\r\n"),
              (std::vector<std::string>{std::string(65, 'x') + "=", "xxxxx"}));
    EXPECT_EQ(qpEncode("\r\n\r\n"), (std::vector<std::string>{"", ""}));
}

TEST(QuotedPrintable, RoundTripKeepsEveryByte) {
    const std::string cases[] = {
        allBytes(),
        "no final break",
        "lone\nfeeds\nand\rreturns\r",
        "ends with break\r\n",
        std::string(30'000, 'y') + "\r\n" + std::string(50'000, 'z'),  // past the paragraph buffer
        "=3D is literal text\r\n.\r\n",
        std::string("\x1A\r\nafter end-of-file byte"),
    };
    for (const std::string& bytes : cases) EXPECT_EQ(qpDecode(qpEncode(bytes)), bytes);
}

// The message writer feeds a line and its break separately, and attachment data in blocks that
// may part a CR from its LF: the lines must not depend on where the data was cut.
TEST(QuotedPrintable, EncodingDoesNotDependOnHowTheDataIsFed) {
    std::string text = "first line\r\nlone\rcarriage return and lone\nfeed\r\n";
    text += std::string(30'000, 'w') + " word=\xE9\r\n\r\n";
    text += "ends with a return\r";
    const auto whole = qpEncode(text);
    for (const std::size_t block :
         {std::size_t{1}, std::size_t{2}, std::size_t{11}, std::size_t{4096}}) {
        std::vector<std::string> lines;
        QuotedPrintableEncoder encoder(
            [&lines](std::string_view line) { lines.emplace_back(line); });
        for (std::size_t at = 0; at < text.size(); at += block)
            encoder.feed(std::string_view(text).substr(at, block));
        encoder.finish();
        EXPECT_EQ(lines, whole) << "blocks of " << block;
    }
    EXPECT_EQ(qpDecode(whole), text);
}

TEST(QuotedPrintable, Decoding) {
    struct Case {
        std::vector<std::string> lines;
        std::string bytes;
    };
    const Case cases[] = {
        {{"soft=", "break"}, "softbreak\r\n"},
        {{"=3d=3D"}, "==\r\n"},
        {{"=ZZ stays", "=4"}, "=ZZ stays\r\n=4\r\n"},
        {{"ends in escaped equals=3D"}, "ends in escaped equals=\r\n"},
        {{"a=="}, "a="},
        {{"\x1A"}, "\x1A"},
        {{std::string(300, 'q')}, std::string(300, 'q') + "\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(qpDecode(c.lines), c.bytes) << c.lines[0];
    EXPECT_EQ(decodeQuotedPrintableLine("first=0D=0Asecond"), "first");
}

TEST(HeaderWords, Decoding) {
    struct Case {
        const char* value;
        const char* decoded;
    };
    const Case cases[] = {
        {"plain text", "plain text"},
        {"john_doe@example.com", "john_doe@example.com"},
        {"=?iso-8859-1?Q?Andr=E9?= Pirard", "Andr\xE9 Pirard"},
        {"=?iso-8859-1?q?a_b?=", "a b"},
        {"=?utf-8?Q?a=5Fb?=", "a_b"},
        {"=?utf-8?B?X18=?=", "__"},  // underscores of a B word stay
        {"=?us-ascii?Q?one?= =?us-ascii?Q?two?=", "onetwo"},
        {"=?us-ascii?Q?one?=\t =?us-ascii?B?dHdv?=", "onetwo"},
        {"Re: =?utf-8?B?w6k=?= and more", "Re: \xC3\xA9 and more"},
        {"=?utf-8?Q?=E9t=E9?=", "\xE9t\xE9"},
        {"Is 1+1=?2", "Is 1+1=?2"},
        {"=?broken", "=?broken"},
        {"=?utf-8?X?abc?=", "=?utf-8?X?abc?="},
        {"=?utf-8?B?not base64!?=", "=?utf-8?B?not base64!?="},
        {"=?utf-8?Q?a=0D=0AX-Injected: yes?=", "a"},
        {"=?utf-8?B?YQ0KYg==?=", "a  b"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeHeaderWords(c.value), c.decoded) << c.value;
    EXPECT_EQ(DecodeHeaderWords(std::string(300, 'x')).size(), 255u);
    std::string many;
    for (int i = 0; i < 200; ++i) many += "=?utf-8?Q?abc?= ";
    EXPECT_EQ(DecodeHeaderWords(many).size(), 255u);
}

TEST(HeaderWords, JisEncoding) {
    const std::string jis = "\x1B$B$3$s\x1B(B";
    EXPECT_EQ(EncodeJisHeaderWord(jis), "=?ISO-2022-JP?B?" + encodeBase64Line(jis) + "?=");
    EXPECT_EQ(DecodeHeaderWords(EncodeJisHeaderWord(jis)), jis);
    EXPECT_EQ(EncodeJisHeaderWord("plain"), "plain");
    EXPECT_EQ(EncodeJisHeaderWord("\x1B" + std::string(300, 'a')).size(), 255u);
}

}  // namespace
}  // namespace velmora::mime
