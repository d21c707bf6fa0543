// The spelling dictionary: a word list file (ENGLISH.DCT of the home folder), one word per line,
// UTF-8, as the program brings it or the user extends it. Look-ups follow the case of the
// dictionary's own words in any script: a word listed in lower case is also accepted with a
// capital first letter or in capitals ("word": "Word", "WORD"); a word listed with capitals
// ("London", "ABC's") is accepted as listed or in capitals, never in lower case ("london").
// Words the user adds are appended to the file, which is rewritten whole and atomically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

namespace velmora::tools {

// The program's list holds about 104,000 words (1 MB); a file far beyond that is not a word
// list, and reading it would only fill the memory.
inline constexpr std::uint64_t kMaxDictionaryBytes = 16ull * 1024 * 1024;
// Suggestions offered for one unknown word.
inline constexpr std::size_t kMaxSuggestions = 12;
// Two edits of a long word mean millions of candidates; beyond this length only one edit is
// tried, which keeps a suggestion list well under a second.
inline constexpr std::size_t kMaxTwoEditLength = 20;

class SpellingDictionary {
  public:
    // Reads the word list `file`. A missing, unreadable or oversized file gives the reason as
    // the user reads it (the text after "\r" in an error box); blank lines are skipped and
    // line ends may be CR LF or LF.
    static std::variant<SpellingDictionary, std::string> load(const std::filesystem::path& file);
    // A dictionary of `words` only, not tied to a file (add() then fails).
    explicit SpellingDictionary(const std::vector<std::string>& words);

    std::size_t size() const { return words_.size(); }
    // Is `word` (UTF-8) spelled right by the rules above? A word that is not well-formed UTF-8
    // is never known.
    bool contains(std::string_view word) const;
    // Dictionary words close to `word`, closest first: those one edit away (a letter dropped,
    // added, changed (into a key next to it on the keyboard first), or two neighbours
    // swapped), then two edits away; at most `limit`. They
    // take the word's case: a capital first letter or capitals throughout are kept.
    std::vector<std::string> suggestions(std::string_view word,
                                         std::size_t limit = kMaxSuggestions) const;
    // Adds `word` (trimmed of blanks) to the list and writes the file again; known at once. A
    // word already known, or empty, changes nothing. On a write error the word stays known for
    // this run only and the error is returned.
    [[nodiscard]] std::error_code add(std::string_view word);

  private:
    SpellingDictionary() = default;
    void insert(std::string word);
    // Dictionary words whose lower case is `lower`.
    const std::vector<std::string>* byLower(const std::string& lower) const;

    std::filesystem::path file_;
    std::string bytes_;  // the file as read, so that a rewrite keeps every line of it
    std::unordered_set<std::string> words_;
    std::unordered_map<std::string, std::vector<std::string>> lower_;
    // Every lower-case character of the words: the letters edits may bring in.
    std::vector<char32_t> alphabet_;
};

}  // namespace velmora::tools
