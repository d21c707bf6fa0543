// The line decoders (base64, uuencode, quoted-printable), the uuencode begin-line reader, encoded
// header words, the header helpers and the date parser on arbitrary text; the quoted-printable
// and base64 encoders must give back every byte they were given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mime/address.h"
#include "mime/base64.h"
#include "mime/errors.h"
#include "mime/header_words.h"
#include "mime/headers.h"
#include "mime/mail_date.h"
#include "mime/quoted_printable.h"
#include "mime/safe_file_name.h"
#include "mime/uuencode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora::mime;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (DecodeHeaderWords(text).size() > 255) __builtin_trap();
    (void)EncodeJisHeaderWord(text);
    try {
        (void)decodeBase64Line(text);
    } catch (const EMessageParserError&) {
    }
    try {
        // Never more than the characters after the length character hold.
        if (!text.empty() && decodeUuLine(text).size() > (text.size() - 1) * 3 / 4)
            __builtin_trap();
    } catch (const EMessageParserError&) {
    }
    (void)isUuBeginLine(text);
    (void)uuBeginLineFileName(text);
    (void)decodeQuotedPrintableLine(text);
    (void)ParseMailAddress(text);
    (void)ParseMailDate(text);
    (void)GetHeaderParam("name", text);
    (void)ContentTypeToken(text);
    const std::string safe = safeFileName(text);
    if (safe.empty() || safe.size() > 255 || safe.front() == '.' ||
        safe.find('/') != std::string::npos) {
        __builtin_trap();
    }

    TmsHeaders headers;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            headers.Add(std::string(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    (void)headers.GetFieldValue("Subject");
    (void)headers.GetFieldList("TO");

    std::vector<std::string> lines;
    TQuotedPrintable::Encode(text, lines);
    std::string decoded;
    TQuotedPrintable::Decode(lines, decoded);
    if (decoded != text) __builtin_trap();
    if (decodeBase64Line(encodeBase64Line(text)) != text) __builtin_trap();
    return 0;
}
