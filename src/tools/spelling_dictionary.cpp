#include "tools/spelling_dictionary.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>

#include "base/file_access.h"
#include "base/text.h"
#include "base/text_file.h"
#include "base/unicode_text.h"

namespace velmora::tools {

namespace {

std::string utf8(const std::u32string& text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) appendUtf8(out, c);
    return out;
}

enum class WordCase { Lower, Capitalised, Capitals, Mixed };

WordCase caseOf(const std::u32string& word) {
    bool anyUpper = false;
    bool anyLower = false;
    bool upperAfterFirst = false;
    bool firstUpper = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<UChar32>(word[i]);
        if (u_isupper(c) || u_istitle(c)) {
            anyUpper = true;
            if (i == 0)
                firstUpper = true;
            else
                upperAfterFirst = true;
        } else if (u_islower(c)) {
            anyLower = true;
        }
    }
    if (!anyUpper) return WordCase::Lower;
    if (!anyLower) return WordCase::Capitals;
    if (firstUpper && !upperAfterFirst) return WordCase::Capitalised;
    return WordCase::Mixed;
}

std::string withCase(const std::string& word, WordCase wanted) {
    if (wanted != WordCase::Capitalised && wanted != WordCase::Capitals) return word;
    auto points = codePoints(word);
    if (!points) return word;
    for (std::size_t i = 0; i < points->size(); ++i)
        if (wanted == WordCase::Capitals || i == 0)
            (*points)[i] = static_cast<char32_t>(u_toupper(static_cast<UChar32>((*points)[i])));
    return utf8(*points);
}

// Whether two letters lie next to each other on a QWERTY keyboard, in a row or in the rows
// above and below it (which are set off by half a key). Letters outside a to z never do.
bool keysAdjoin(char32_t a, char32_t b) {
    using Table = std::array<std::array<bool, 26>, 26>;
    static const Table table = [] {
        constexpr std::string_view kRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
        Table t{};
        auto join = [&t](char x, char y) { t[x - 'a'][y - 'a'] = t[y - 'a'][x - 'a'] = true; };
        for (std::size_t row = 0; row < 3; ++row) {
            const std::string_view keys = kRows[row];
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (i + 1 < keys.size()) join(keys[i], keys[i + 1]);
                if (row == 0) continue;
                // A key touches the two keys of the row above at its own place and the next.
                const std::string_view above = kRows[row - 1];
                join(keys[i], above[i]);
                if (i + 1 < above.size()) join(keys[i], above[i + 1]);
            }
        }
        return t;
    }();
    if (a < U'a' || a > U'z' || b < U'a' || b > U'z') return false;
    return table[a - U'a'][b - U'a'];
}

// Every string one edit away from `word` over `alphabet`, handed to `visit` in the order of the
// commonest typing slips: two neighbours swapped ("teh"), a letter left out ("brwn"), a letter
// mistyped (into a neighbouring key first), a letter too many.
template <typename Visit>
void forEachEdit(const std::u32string& word, const std::vector<char32_t>& alphabet, Visit&& visit) {
    std::u32string candidate;
    for (std::size_t i = 0; i + 1 < word.size(); ++i) {  // neighbours swapped
        if (word[i] == word[i + 1]) continue;
        candidate = word;
        std::swap(candidate[i], candidate[i + 1]);
        visit(candidate);
    }
    for (std::size_t i = 0; i <= word.size(); ++i) {  // a letter added
        for (char32_t c : alphabet) {
            candidate = word;
            candidate.insert(candidate.begin() + static_cast<std::ptrdiff_t>(i), c);
            visit(candidate);
        }
    }
    // A letter changed: first into a key next to it (the finger slipped), then into any other.
    for (const bool neighboursOnly : {true, false}) {
        for (std::size_t i = 0; i < word.size(); ++i) {
            candidate = word;
            for (char32_t c : alphabet) {
                if (c == word[i] || keysAdjoin(c, word[i]) != neighboursOnly) continue;
                candidate[i] = c;
                visit(candidate);
            }
        }
    }
    for (std::size_t i = 0; i < word.size(); ++i) {  // a letter dropped
        candidate = word;
        candidate.erase(i, 1);
        visit(candidate);
    }
}

}  // namespace

SpellingDictionary::SpellingDictionary(const std::vector<std::string>& words) {
    for (const auto& word : words) insert(word);
}

std::variant<SpellingDictionary, std::string> SpellingDictionary::load(
    const std::filesystem::path& file) {
    std::error_code error;
    std::optional<std::string> bytes = readRegularFile(file, error, kMaxDictionaryBytes);
    if (!bytes) {
        if (error == std::errc::file_too_large)
            return "The file is larger than " + std::to_string(kMaxDictionaryBytes / 1024 / 1024) +
                   " MB: it is not a word list.";
        return errorText(error);
    }
    SpellingDictionary dictionary;
    dictionary.file_ = file;
    for (const auto& line : splitLines(*bytes)) dictionary.insert(std::string(trimmed(line)));
    dictionary.bytes_ = std::move(*bytes);
    return dictionary;
}

void SpellingDictionary::insert(std::string word) {
    if (word.empty() || words_.count(word)) return;
    const auto points = codePoints(word);
    if (!points) return;  // not UTF-8: no typed word can match it
    std::string lower = lowerCase(word);
    if (const auto lowerPoints = codePoints(lower))
        for (char32_t c : *lowerPoints)
            if (std::find(alphabet_.begin(), alphabet_.end(), c) == alphabet_.end())
                alphabet_.push_back(c);
    lower_[lower].push_back(word);
    words_.insert(std::move(word));
}

const std::vector<std::string>* SpellingDictionary::byLower(const std::string& lower) const {
    const auto found = lower_.find(lower);
    return found == lower_.end() ? nullptr : &found->second;
}

bool SpellingDictionary::contains(std::string_view word) const {
    if (word.empty()) return false;
    if (words_.count(std::string(word))) return true;
    const auto points = codePoints(word);
    if (!points) return false;
    const WordCase wordCase = caseOf(*points);
    if (wordCase != WordCase::Capitalised && wordCase != WordCase::Capitals) return false;
    const auto* entries = byLower(lowerCase(word));
    if (!entries) return false;
    // In capitals any listed spelling will do; with a capital first letter only a word the
    // list has in lower case (a listed "London" does not make "Londonderry" of "LondonDerry").
    if (wordCase == WordCase::Capitals) return true;
    return std::any_of(entries->begin(), entries->end(),
                       [](const std::string& entry) { return entry == lowerCase(entry); });
}

std::vector<std::string> SpellingDictionary::suggestions(std::string_view word,
                                                         std::size_t limit) const {
    const auto points = codePoints(word);
    if (!points || points->empty() || limit == 0) return {};
    const WordCase wordCase = caseOf(*points);
    const auto lower = codePoints(lowerCase(word));
    if (!lower) return {};

    std::vector<std::string> found;
    std::set<std::string> seen;
    auto take = [&](const std::u32string& candidate) {
        const auto* entries = byLower(utf8(candidate));
        if (!entries) return;
        for (const auto& entry : *entries) {
            std::string shown = withCase(entry, wordCase);
            if (shown != word && contains(shown) && seen.insert(shown).second)
                found.push_back(std::move(shown));
        }
    };
    // The word's own letters in another case ("london" for "London") come first.
    take(*lower);
    std::set<std::u32string> oneEdit;
    forEachEdit(*lower, alphabet_, [&](const std::u32string& candidate) {
        if (oneEdit.insert(candidate).second) take(candidate);
    });
    if (found.size() >= limit || lower->size() > kMaxTwoEditLength) {
        if (found.size() > limit) found.resize(limit);
        return found;
    }
    // Two edits: each one-edit string edited once more, listed in the order they come.
    std::vector<std::string> further;
    std::set<std::string> furtherSeen;
    for (const auto& first : oneEdit) {
        forEachEdit(first, alphabet_, [&](const std::u32string& candidate) {
            const auto* entries = byLower(utf8(candidate));
            if (!entries) return;
            for (const auto& entry : *entries) {
                std::string shown = withCase(entry, wordCase);
                if (shown != word && !seen.count(shown) && contains(shown) &&
                    furtherSeen.insert(shown).second)
                    further.push_back(std::move(shown));
            }
        });
    }
    // Among words two edits away, those nearest in length read most alike.
    std::stable_sort(further.begin(), further.end(), [&](const auto& a, const auto& b) {
        const auto distance = [&](const std::string& s) {
            return s.size() > word.size() ? s.size() - word.size() : word.size() - s.size();
        };
        return distance(a) < distance(b);
    });
    for (auto& candidate : further) {
        if (found.size() >= limit) break;
        found.push_back(std::move(candidate));
    }
    return found;
}

std::error_code SpellingDictionary::add(std::string_view word) {
    const std::string added(trimmed(word));
    if (added.empty() || contains(added)) return {};
    insert(added);
    if (file_.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    std::string bytes = bytes_;
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') bytes += "\r\n";
    bytes += added + "\r\n";
    if (auto error = writeFileAtomically(file_, bytes)) return error;
    bytes_ = std::move(bytes);
    return {};
}

}  // namespace velmora::tools
