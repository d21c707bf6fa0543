// The spell check's word splitter on arbitrary bytes: nothing may crash or read outside the
// text, words come in order without overlapping, each is well-formed UTF-8 that begins and ends
// with a letter or mark (never an apostrophe) and holds no digit, blank or "@", and no word lies
// in a line whose first visible character is ">".
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/spelling_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t previousEnd = 0;
    for (const auto& word : velmora::tools::findWords(text)) {
        if (word.length == 0 || word.offset < previousEnd || word.offset + word.length > size)
            __builtin_trap();
        previousEnd = word.offset + word.length;
        const std::string_view bytes = text.substr(word.offset, word.length);
        if (bytes.front() == '\'' || bytes.back() == '\'' || bytes.find('@') != bytes.npos)
            __builtin_trap();
        const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
        const auto length = static_cast<std::int32_t>(bytes.size());
        for (std::int32_t i = 0; i < length;) {
            UChar32 c = 0;
            U8_NEXT(p, i, length, c);
            if (c < 0 || u_isUWhiteSpace(c) || (U_GET_GC_MASK(c) & U_GC_N_MASK)) __builtin_trap();
        }
        const std::size_t lineStart = text.find_last_of("\r\n", word.offset);
        const std::size_t from = lineStart == text.npos ? 0 : lineStart + 1;
        const std::size_t visible = text.find_first_not_of(" \t", from);
        if (visible != text.npos && text[visible] == '>') __builtin_trap();
    }
    return 0;
}
