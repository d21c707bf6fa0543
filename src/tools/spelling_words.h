// The words of a text that the spell check looks at, with their byte offsets. A word is a run
// of letters of any script (with their combining marks) in which single apostrophes (' or ’)
// may stand between letters ("don't", "O'Brien"); a leading or trailing apostrophe is not part
// of it. Left out: runs that hold a digit ("3rd", "mp3"), anything inside a blank-separated
// piece that holds "@" (an e-mail address) or looks like a web address ("http://...",
// "www.example.com"), and every line whose first character after blanks is ">" (quoted text of
// a reply). Bytes that
// are not well-formed UTF-8 separate words, so every word found is well-formed UTF-8.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace velmora::tools {

struct TextWord {
    std::size_t offset = 0;  // in bytes, from the start of the text
    std::size_t length = 0;  // in bytes
    bool operator==(const TextWord&) const = default;
};

// The words in text order; never overlapping.
std::vector<TextWord> findWords(std::string_view text);

}  // namespace velmora::tools
