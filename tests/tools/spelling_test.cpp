// Spell checking: the dictionary's case rules, suggestions and "Add"; the word splitter on the
// texts mail holds (quotes, addresses, digits, other scripts, broken bytes); and the spell check
// window's walk through a text with the fakes.
#include <gtest/gtest.h>

#include "support/fake_platform.h"
#include "support/temp_dir.h"
#include "tools/spell_check_form.h"
#include "tools/spelling_dictionary.h"
#include "tools/spelling_words.h"

namespace velmora::tools {
namespace {

using testing::FakePlatform;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

SpellingDictionary sample() {
    return SpellingDictionary({"word", "words", "world", "London", "ABC's", "café", "straße",
                               "don't", "the", "a", "quick", "brown", "fox", "jumps"});
}

TEST(SpellingDictionary, FollowsTheCaseOfItsOwnWords) {
    const SpellingDictionary dictionary = sample();
    struct Case {
        const char* word;
        bool known;
    };
    const Case cases[] = {
        {"word", true},   {"Word", true},    {"WORD", true},     {"wOrd", false},  {"London", true},
        {"LONDON", true}, {"london", false}, {"ABC's", true},    {"ABC'S", true},  {"abc's", false},
        {"Café", true},   {"CAFÉ", true},    {"cafe", false},    {"Straße", true}, {"don't", true},
        {"wordy", false}, {"", false},       {"caf\xC3", false},
    };
    for (const auto& c : cases) EXPECT_EQ(dictionary.contains(c.word), c.known) << c.word;
}

TEST(SpellingDictionary, SuggestsOneEditBeforeTwoInTheWordsCase) {
    const SpellingDictionary dictionary = sample();
    const auto lower = dictionary.suggestions("wrod");  // swapped neighbours, then two edits
    ASSERT_FALSE(lower.empty());
    EXPECT_EQ(lower.front(), "word");
    EXPECT_NE(std::find(lower.begin(), lower.end(), "world"), lower.end());
    EXPECT_EQ(dictionary.suggestions("WROD").front(), "WORD");
    EXPECT_EQ(dictionary.suggestions("Wrod").front(), "Word");
    EXPECT_EQ(dictionary.suggestions("london").front(), "London");
    EXPECT_EQ(dictionary.suggestions("cafe").front(), "café");
    EXPECT_TRUE(dictionary.suggestions("zzzzzzzzz").empty());
    EXPECT_LE(dictionary.suggestions("wor", 2).size(), 2u);
}

TEST(SpellingDictionary, AMistypedLetterIsFirstTakenForAKeyNextToIt) {
    // Each typed word is one changed letter from both words; the key next to the typed one wins.
    const struct {
        const char* typed;
        std::vector<std::string> words;
        const char* first;
    } cases[] = {
        // Taken in the alphabet's order the other word would come first.
        {"wprd", {"ward", "word"}, "word"},  // p lies beside o
        {"bave", {"cave", "have"}, "have"},  // b lies below g and h
        {"tso", {"too", "two"}, "two"},      // s lies below w
        {"zat", {"bat", "sat"}, "sat"},      // z lies below s
    };
    for (const auto& c : cases) {
        const SpellingDictionary dictionary(c.words);
        const auto found = dictionary.suggestions(c.typed);
        ASSERT_EQ(found.size(), 2u) << c.typed;
        EXPECT_EQ(found.front(), c.first) << c.typed;
    }
}

TEST(SpellingDictionary, LoadsCrLfAndLfAndRefusesWhatIsNoWordList) {
    TempDir home;
    writeFile(home / "ENGLISH.DCT", "A\r\naardvark\r\n\r\nzebra\ncafé\r\n");
    auto loaded = SpellingDictionary::load(home / "ENGLISH.DCT");
    ASSERT_TRUE(std::holds_alternative<SpellingDictionary>(loaded));
    const auto& dictionary = std::get<SpellingDictionary>(loaded);
    EXPECT_EQ(dictionary.size(), 4u);
    EXPECT_TRUE(dictionary.contains("zebra"));
    EXPECT_TRUE(dictionary.contains("café"));

    auto missing = SpellingDictionary::load(home / "NONE.DCT");
    ASSERT_TRUE(std::holds_alternative<std::string>(missing));
    EXPECT_FALSE(std::get<std::string>(missing).empty());

    writeFile(home / "BIG.DCT", std::string(kMaxDictionaryBytes + 1, 'a'));
    auto big = SpellingDictionary::load(home / "BIG.DCT");
    ASSERT_TRUE(std::holds_alternative<std::string>(big));
    EXPECT_NE(std::get<std::string>(big).find("16 MB"), std::string::npos);
}

TEST(SpellingDictionary, AddKeepsEveryLineAndIsKnownAfterReloading) {
    TempDir home;
    writeFile(home / "ENGLISH.DCT", "alpha\r\nbeta");  // no line end after the last word
    auto loaded = SpellingDictionary::load(home / "ENGLISH.DCT");
    auto& dictionary = std::get<SpellingDictionary>(loaded);
    EXPECT_FALSE(dictionary.add(" Velmora "));
    EXPECT_FALSE(dictionary.add("alpha"));  // known already: nothing written
    EXPECT_TRUE(dictionary.contains("Velmora"));
    EXPECT_EQ(readFile(home / "ENGLISH.DCT"), "alpha\r\nbeta\r\nVelmora\r\n");
    auto again = SpellingDictionary::load(home / "ENGLISH.DCT");
    EXPECT_TRUE(std::get<SpellingDictionary>(again).contains("VELMORA"));
}

TEST(SpellingDictionary, AddThatCannotWriteStillKnowsTheWordThisRun) {
    TempDir home;
    writeFile(home / "ENGLISH.DCT", "alpha\r\n");
    auto loaded = SpellingDictionary::load(home / "ENGLISH.DCT");
    auto& dictionary = std::get<SpellingDictionary>(loaded);
    std::filesystem::remove(home / "ENGLISH.DCT");
    std::filesystem::create_directory(home / "ENGLISH.DCT");  // a rename cannot replace it
    EXPECT_TRUE(dictionary.add("beta"));
    EXPECT_TRUE(dictionary.contains("beta"));
}

#ifdef VELMORA_DICTIONARY_FILE
TEST(SpellingDictionary, TheProgramsDictionaryPutsTheCommonestSlipsFirst) {
    auto loaded = SpellingDictionary::load(VELMORA_DICTIONARY_FILE);
    ASSERT_TRUE(std::holds_alternative<SpellingDictionary>(loaded));
    const auto& dictionary = std::get<SpellingDictionary>(loaded);
    EXPECT_GT(dictionary.size(), 90'000u);
    EXPECT_TRUE(dictionary.contains("aardvark"));
    EXPECT_TRUE(dictionary.contains("Aardvark"));
    EXPECT_EQ(dictionary.suggestions("Teh").front(), "The");  // neighbours swapped
    const auto left = dictionary.suggestions("brwn", 3);      // a letter left out
    EXPECT_NE(std::find(left.begin(), left.end(), "brown"), left.end());
    const auto found = dictionary.suggestions("accomodatoin");  // two edits from the word
    EXPECT_NE(std::find(found.begin(), found.end(), "accommodation"), found.end());
}
#endif

std::vector<std::string> wordsOf(std::string_view text) {
    std::vector<std::string> out;
    for (const auto& w : findWords(text)) out.emplace_back(text.substr(w.offset, w.length));
    return out;
}

TEST(SpellingWords, FindsTheWordsMailHolds) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"plain", "The quick, brown fox.", {"The", "quick", "brown", "fox"}},
        {"inner apostrophes only",
         "'Don't' O\xE2\x80\x99"
         "Brien's dogs'",
         {"Don't",
          "O\xE2\x80\x99"
          "Brien's",
          "dogs"}},
        {"double apostrophe splits", "rock''n", {"rock", "n"}},
        {"hyphen splits", "well-known", {"well", "known"}},
        {"digits skip the run", "3rd mp3 2024 ok", {"ok"}},
        {"mail address", "write to ann.lee@example.com today", {"write", "to", "today"}},
        {"urls",
         "see http://example.com/a_b or www.Example.org, HTTPS://x.y now",
         {"see", "or", "now"}},
        {"quoted lines", "Hi\r\n> quoted teh\r\n  >> deeper\r\nback", {"Hi", "back"}},
        {"other scripts", "Ελληνικά русский café", {"Ελληνικά", "русский", "café"}},
        {"combining accent stays in", "cafe\xCC\x81 ok", {"cafe\xCC\x81", "ok"}},
        {"broken bytes separate",
         "ab\xFF"
         "cd",
         {"ab", "cd"}},
        {"lone CR and LF", "one\rtwo\nthree", {"one", "two", "three"}},
        {"nothing", " \r\n\t", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(wordsOf(c.text), c.words) << c.name;
}

TEST(SpellingWords, GivesByteOffsets) {
    const auto words = findWords("é ab\r\nxyz");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0], (TextWord{0, 2}));
    EXPECT_EQ(words[1], (TextWord{3, 2}));
    EXPECT_EQ(words[2], (TextWord{7, 3}));
}

// The window over a small dictionary, driven by a script in place of the user.
class SpellCheckFormTest : public ::testing::Test {
  protected:
    std::optional<std::string> run(const std::string& text,
                                   std::function<void(TspellCheckForm&)> script) {
        TspellCheckForm form(fake, dictionary);
        form.setView([&](TspellCheckForm& f) {
            shownWindow = true;
            script(f);
        });
        return form.check(text);
    }

    FakePlatform fake;
    SpellingDictionary dictionary = sample();
    bool shownWindow = false;
};

TEST_F(SpellCheckFormTest, ShowsEachUnknownWordWithItsLineAndSuggestions) {
    std::vector<std::string> seen;
    const auto result = run("the word\r\n> teh quoted\r\nthe wrod and wrod", [&](auto& f) {
        EXPECT_EQ(f.word(), "wrod");
        EXPECT_EQ(f.lineNumber(), 3);
        EXPECT_EQ(f.lineText(), "the wrod and wrod");
        EXPECT_EQ(f.wordOffsetInLine(), 4u);
        EXPECT_EQ(f.suggestions().front(), "word");
        EXPECT_EQ(f.changeTo(), "word");
        EXPECT_STREQ(f.cancelCaption(), TspellCheckForm::kCancelCaption);
        f.changeClick();
        EXPECT_STREQ(f.cancelCaption(), TspellCheckForm::kDoneCaption);
        EXPECT_EQ(f.word(), "and");
        f.ignoreClick();
        EXPECT_EQ(f.word(), "wrod");
        EXPECT_EQ(f.wordOffsetInLine(), 13u);
        f.setChangeTo("words");
        f.changeClick();
        EXPECT_TRUE(f.finished());
    });
    EXPECT_EQ(result, "the word\r\n> teh quoted\r\nthe word and words");
    EXPECT_EQ(fake.dialogs.texts("information"), std::vector<std::string>{kSpellCheckCompleteText});
}

TEST_F(SpellCheckFormTest, ChangeAllAndIgnoreAllCoverLaterOccurrences) {
    const auto result = run("teh fox, teh fox; zork teh zork", [&](auto& f) {
        EXPECT_EQ(f.word(), "teh");
        f.setChangeTo("the quick");  // a replacement of two words is not checked again
        f.changeAllClick();
        EXPECT_EQ(f.word(), "zork");
        f.ignoreAllClick();
    });
    EXPECT_EQ(result, "the quick fox, the quick fox; zork the quick zork");
}

TEST_F(SpellCheckFormTest, CancelLeavesTheTextAsItWasEvenAfterChanges) {
    const std::string text = "wrod wrod wrod";
    EXPECT_EQ(run(text, [](auto& f) { f.cancelClick(); }), std::nullopt);
    // After a change the button reads "&Done": the changes so far stay.
    EXPECT_EQ(run(text,
                  [](auto& f) {
                      f.changeClick();
                      f.cancelClick();
                  }),
              "word wrod wrod");
    // The window closed without a command before any change counts as cancelled.
    EXPECT_EQ(run(text, [](auto&) {}), std::nullopt);
}

TEST_F(SpellCheckFormTest, AddPutsTheWordIntoTheDictionary) {
    TempDir home;
    writeFile(home / "ENGLISH.DCT", "the\r\n");
    auto loaded = SpellingDictionary::load(home / "ENGLISH.DCT");
    auto& fileDictionary = std::get<SpellingDictionary>(loaded);
    TspellCheckForm form(fake, fileDictionary);
    form.setView([](TspellCheckForm& f) {
        EXPECT_EQ(f.word(), "Velmora");
        f.addClick();
    });
    EXPECT_EQ(form.check("the Velmora the VELMORA"), "the Velmora the VELMORA");
    EXPECT_EQ(readFile(home / "ENGLISH.DCT"), "the\r\nVelmora\r\n");
}

TEST_F(SpellCheckFormTest, SaysWhenThereIsNothingToDo) {
    EXPECT_EQ(run("> all quoted\r\n12 34", [](auto&) {}), "> all quoted\r\n12 34");
    EXPECT_EQ(run("The quick brown fox", [](auto&) {}), "The quick brown fox");
    EXPECT_FALSE(shownWindow);
    EXPECT_EQ(fake.dialogs.texts("information"),
              (std::vector<std::string>{kNothingToCheckText, kNoUnknownWordText}));
}

TEST_F(SpellCheckFormTest, WithoutAWindowNothingChanges) {
    TspellCheckForm form(fake, dictionary);
    EXPECT_EQ(form.check("wrod"), std::nullopt);
}

}  // namespace
}  // namespace velmora::tools
