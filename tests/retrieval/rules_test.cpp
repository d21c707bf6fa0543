#include "retrieval/rules.h"

#include <gtest/gtest.h>

#include "retrieval/filters_form.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::retrieval {
namespace {

TMailFiltersObjectListBox rule(RuleField on, RuleComparison how, std::string text,
                               RuleAction action = RuleAction::MoveTo) {
    TMailFiltersObjectListBox r;
    r.description = "rule";
    r.filterOn = static_cast<int>(on);
    r.filterHow = static_cast<int>(how);
    r.filterText = std::move(text);
    r.action = static_cast<int>(action);
    return r;
}

TEST(RuleMatching, ComparisonsIgnoreCaseAndTestTheirPlaceInTheValue) {
    struct Case {
        const char* name;
        RuleComparison how;
        const char* value;
        const char* text;
        bool matches;
    };
    constexpr Case cases[] = {
        {"begins, case ignored", RuleComparison::BeginsWith, "Sale today", "SALE", true},
        {"begins, later occurrence", RuleComparison::BeginsWith, "Big sale", "SALE", false},
        {"begins, case ignored in any script", RuleComparison::BeginsWith, "привет всем", "ПРИВЕТ",
         true},
        {"contains, Greek case ignored", RuleComparison::Contains, "Η ΠΡΟΣΦΟΡΑ", "προσφορα", true},
        {"ends, value one shorter", RuleComparison::EndsWith, "a@b.c", "xa@b.c", false},
        {"ends, plain suffix", RuleComparison::EndsWith, "xab", "ab", true},
        // The suffix decides, not the first occurrence.
        {"ends, text also earlier", RuleComparison::EndsWith, "abcab", "ab", true},
        {"ends, not at the end", RuleComparison::EndsWith, "abc", "ab", false},
        {"contains", RuleComparison::Contains, "Re: the Offer inside", "offer", true},
        {"contains, absent", RuleComparison::Contains, "nothing here", "offer", false},
        {"exact", RuleComparison::ExactMatch, "Boss@Example.com", "boss@example.com", true},
        {"exact, longer", RuleComparison::ExactMatch, "boss@example.com ", "boss@example.com",
         false},
        {"empty text, begins", RuleComparison::BeginsWith, "x", "", false},
        {"empty text, ends", RuleComparison::EndsWith, "x", "", false},
        {"empty text, contains", RuleComparison::Contains, "", "", false},
        {"empty text, exact empty value", RuleComparison::ExactMatch, "", "", true},
        {"empty text, exact value", RuleComparison::ExactMatch, "x", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(ruleMatches(c.how, c.value, c.text), c.matches) << c.name;
}

TEST(RuleMatching, FirstEnabledMatchingRuleDecidesAndDisabledRulesAreNeverConsulted) {
    RuleList list;
    list.rules.push_back(
        rule(RuleField::Subject, RuleComparison::Contains, "offer", RuleAction::DeleteMessage));
    list.rules.back().enabled = false;
    list.rules.push_back(rule(RuleField::FromAddress, RuleComparison::EndsWith, "@work.example"));
    list.rules.push_back(
        rule(RuleField::Subject, RuleComparison::Contains, "offer", RuleAction::CopyTo));
    RuleFields fields;
    fields.fromAddress = "boss@work.example";
    fields.subject = "An offer";
    RuleMatch match = applyRules(list, fields);
    ASSERT_TRUE(match.action);
    EXPECT_EQ(*match.action, RuleAction::MoveTo);
    EXPECT_EQ(match.rule, 1u);

    fields.fromAddress = "friend@home.example";
    match = applyRules(list, fields);
    EXPECT_EQ(match.action, RuleAction::CopyTo);
    EXPECT_EQ(match.rule, 2u);

    fields.subject = "Lunch";
    EXPECT_FALSE(applyRules(list, fields).action);
}

TEST(RuleMatching, EachFieldIsTheOneTheRuleNames) {
    RuleFields fields{"From N", "from@a", "<unknown name>", "to@b", "Subj", "line 1\r\nline 2"};
    const std::pair<RuleField, const char*> cases[] = {
        {RuleField::FromName, "from n"},       {RuleField::FromAddress, "from@a"},
        {RuleField::ToName, "<unknown name>"}, {RuleField::ToAddress, "to@b"},
        {RuleField::Subject, "subj"},          {RuleField::Body, "line 1\r\nline 2"}};
    for (const auto& [field, text] : cases) {
        RuleList list;
        list.rules.push_back(rule(field, RuleComparison::ExactMatch, text));
        EXPECT_TRUE(applyRules(list, fields).action) << text;
    }
}

TEST(RulesFile, RoundTripsEveryFieldAndWritesTheSelectionMinusOneAsZero) {
    RuleList list;
    list.rules.push_back(
        rule(RuleField::Body, RuleComparison::ExactMatch, "text", RuleAction::CopyTo));
    list.rules.back().folderPath = "/home/v/Work.001";
    list.rules.back().enabled = false;
    list.rules.push_back(rule(RuleField::ToName, RuleComparison::EndsWith, "x"));
    list.selected = 1;
    const std::string bytes = rulesFileBytes(list);
    EXPECT_EQ(bytes,
              "46\r\n1\r\n2\r\nrule\r\nFALSE\r\n/home/v/Work.001\r\ntext\r\n2\r\n5\r\n3\r\n"
              "rule\r\nTRUE\r\n\r\nx\r\n1\r\n2\r\n1");
    EXPECT_EQ(parseRulesFile(bytes), list);

    list.selected = -1;
    list.rules.clear();
    EXPECT_EQ(rulesFileBytes(list), "46\r\n0\r\n0");
}

TEST(RulesFile, DamagedChoiceLinesLoadTheRuleDisabledNeverAsDeleteMessage) {
    const std::string bytes =
        "46\r\n0\r\n3\r\n"
        "bad action\r\nTRUE\r\n\r\nspam\r\n7\r\n4\r\n2\r\n"
        "bad field\r\nTRUE\r\n\r\nspam\r\n1\r\nx\r\n2\r\n"
        "good\r\nTRUE\r\n\r\nspam\r\n0\r\n4\r\n2";
    const RuleList list = parseRulesFile(bytes);
    ASSERT_EQ(list.rules.size(), 3u);
    EXPECT_FALSE(list.rules[0].enabled);
    EXPECT_FALSE(list.rules[1].enabled);
    EXPECT_TRUE(list.rules[2].enabled);
    RuleFields fields;
    fields.subject = "spam";
    // Only the intact rule acts.
    EXPECT_EQ(applyRules(list, fields).rule, 2u);
}

TEST(RulesFile, TruncatedFilesAndHugeCountsReadTheRecordsThatAreThere) {
    EXPECT_EQ(parseRulesFile("46\r\n5\r\n1000000000\r\nonly\r\nTRUE\r\n\r\nt\r\n1\r\n0\r\n0")
                  .rules.size(),
              1u);
    EXPECT_TRUE(parseRulesFile("46\r\n0\r\n2\r\nhalf\r\nTRUE").rules.empty());
    const RuleList list = parseRulesFile("46\r\n9\r\n1\r\nr\r\nTRUE\r\n\r\nt\r\n1\r\n0\r\n0");
    EXPECT_EQ(list.selected, 0);  // a stored position outside the list
    EXPECT_EQ(parseRulesFile("").selected, -1);
}

TEST(RuleTargets, OnlyTrashAndExistingUserFoldersAreValid) {
    testing::TempDir home;
    for (const char* dir : {"InBox.000", "OutBox.000", "Sent.000", "Drafts.000", "Trash.000",
                            "Work.001", "Work.001/Sub.001", "Attach", "Attach.001"})
        std::filesystem::create_directories(home / dir);
    std::filesystem::create_directory_symlink(home / "OutBox.000", home / "Link.001");
    const std::string h = home.path().string();
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {h + "/Work.001", "Work"},
        {h + "/Work.001/Sub.001", "Work\\Sub"},
        {h + "/Trash.000", "Trash"},
        {"C:\\Velmora\\Work.001", "Work"},  // written on another machine
        {h + "/OutBox.000", std::nullopt},
        {h + "/Sent.000", std::nullopt},
        {h + "/Drafts.000", std::nullopt},
        {h + "/InBox.000", std::nullopt},
        {h, std::nullopt},
        {"", std::nullopt},
        {h + "/Attach", std::nullopt},
        {h + "/Attach.001", std::nullopt},
        {h + "/Work.001/../OutBox.000", std::nullopt},
        {h + "/Work.001/..", std::nullopt},
        {h + "/OutBox.001", std::nullopt},
        {h + "/Gone.001", std::nullopt},
        {h + "/Link.001", std::nullopt},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(ruleTargetFolder(home.path(), path), expected) << path;
}

struct FiltersFormTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    RuleList rules;
    TfiltersForm form{fake, home.path(), rules};

    void add(const std::string& name) {
        fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{name, ""});
        form.cmdAddClick();
    }
};

TEST_F(FiltersFormTest, AddGivesAMoveRuleOnFromNameAndTheTextPromptInTheField) {
    add("Boss");
    ASSERT_EQ(rules.rules.size(), 1u);
    EXPECT_EQ(fake.dialogs.inputBoxes.back().caption, "Add New Filter");
    EXPECT_EQ(fake.dialogs.inputBoxes.back().first.prompt, "Filter Description");
    EXPECT_EQ(rules.rules[0].description, "Boss");
    EXPECT_EQ(rules.rules[0].action, 1);
    EXPECT_TRUE(rules.rules[0].enabled);
    EXPECT_EQ(form.filterTextField(), kFilterTextPrompt);
    EXPECT_EQ(form.focus(), "FilterText");
    EXPECT_EQ(form.treeFolder(), home.path().string());

    fake.dialogs.inputAnswers.push_back(std::nullopt);
    form.cmdAddClick();
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"", ""});
    form.cmdAddClick();
    EXPECT_EQ(rules.rules.size(), 1u);
}

TEST_F(FiltersFormTest, EditsChangeTheSelectedRuleAtOnce) {
    std::filesystem::create_directories(home / "Work.001");
    add("One");
    form.leaveFilterText("invoice");
    form.setFilterOn(4);
    form.setFilterHow(2);
    form.setAction(2);
    form.clickFolder({(home / "Work.001").string(), "Work"});
    EXPECT_EQ(rules.rules[0].filterText, "invoice");
    EXPECT_EQ(rules.rules[0].filterOn, 4);
    EXPECT_EQ(rules.rules[0].filterHow, 2);
    EXPECT_EQ(rules.rules[0].action, 2);
    EXPECT_EQ(rules.rules[0].folderPath, (home / "Work.001").string());
    EXPECT_TRUE(form.folderLabelEnabled());
    form.setAction(0);
    EXPECT_FALSE(form.folderLabelEnabled());

    add("Two");
    form.selectRule(0);
    EXPECT_EQ(form.filterTextField(), "invoice");
    EXPECT_EQ(form.folderLabel(), "Work");

    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"Renamed", ""});
    form.cmdEditClick();
    EXPECT_EQ(fake.dialogs.inputBoxes.back().first.value, "One");
    EXPECT_EQ(rules.rules[0].description, "Renamed");
}

TEST_F(FiltersFormTest, OnlyTrashAndUserFoldersCanBeChosenAsTheTarget) {
    for (const char* folder : {"Trash.000", "OutBox.000", "Sent.000", "Work.001"})
        std::filesystem::create_directories(home / folder);
    add("One");
    form.clickFolder({(home / "Work.001").string(), "Work"});
    for (const char* refused : {"OutBox.000", "Sent.000"}) {
        form.clickFolder({(home / refused).string(), refused});
        EXPECT_EQ(rules.rules[0].folderPath, (home / "Work.001").string()) << refused;
        EXPECT_EQ(form.folderLabel(), "Work");
        EXPECT_EQ(form.treeFolder(), (home / "Work.001").string());
    }
    EXPECT_EQ(fake.dialogs.texts("warning"),
              std::vector<std::string>(
                  2, "Rules can move or copy arriving mail only into Trash or a user folder."));
    form.clickFolder({home.path().string(), "Velmora"});  // the tree's root: no box
    EXPECT_EQ(fake.dialogs.texts("warning").size(), 2u);
    form.clickFolder({(home / "Trash.000").string(), "Trash"});
    EXPECT_EQ(rules.rules[0].folderPath, (home / "Trash.000").string());
}

TEST_F(FiltersFormTest, DeletingAsksAndSelectsTheRuleNowAtThatPlace) {
    add("A");
    add("B");
    add("C");
    form.selectRule(1);
    fake.dialogs.answers.push_back(platform::Answer::No);
    form.cmdDeleteClick();
    EXPECT_EQ(rules.rules.size(), 3u);
    EXPECT_EQ(fake.dialogs.texts("question").back(),
              "Are you sure you want to delete this Filter item?");
    fake.dialogs.answers.push_back(platform::Answer::Yes);
    form.cmdDeleteClick();
    ASSERT_EQ(rules.rules.size(), 2u);
    EXPECT_EQ(rules.rules[form.selected()].description, "C");
    fake.dialogs.answers.push_back(platform::Answer::Yes);
    form.cmdDeleteClick();
    EXPECT_EQ(rules.rules[form.selected()].description, "A");
}

TEST_F(FiltersFormTest, HidingWritesBothFilesAndAnEmptiedListRemovesOnlyTheRuleFile) {
    add("Only");
    form.cmdUnChkAllClick();
    form.hide();
    EXPECT_TRUE(std::filesystem::exists(home / kRulesFile));
    EXPECT_EQ(testing::readFile(home / kRulesBackupFile), testing::readFile(home / kRulesFile));
    // Unchecked all, closed and started again: every rule stays disabled.
    EXPECT_FALSE(loadRules(home.path()).rules.at(0).enabled);

    fake.dialogs.answers.push_back(platform::Answer::Yes);
    form.cmdDeleteClick();
    form.hide();
    EXPECT_FALSE(std::filesystem::exists(home / kRulesFile));
    EXPECT_TRUE(std::filesystem::exists(home / kRulesBackupFile));
    EXPECT_TRUE(loadRules(home.path()).rules.empty());
}

TEST_F(FiltersFormTest, EmptyListCommandsMoveTheFocusToAdd) {
    form.cmdDeleteClick();
    EXPECT_EQ(form.focus(), "Add");
    EXPECT_TRUE(fake.dialogs.shown.empty());
}

TEST_F(FiltersFormTest, ReorderWritesTheNewOrderAndKeepsTheSameRuleSelected) {
    add("A");
    add("B");
    add("C");
    form.selectRule(0);
    TorderFilterForm order(form);
    EXPECT_EQ(order.selected(), 0);
    order.up();  // nothing at the top
    order.down();
    order.drag(2, 0);
    EXPECT_EQ(rules.rules[0].description, "A");  // copies until Close
    order.close();
    ASSERT_EQ(rules.rules.size(), 3u);
    EXPECT_EQ(rules.rules[0].description, "C");
    EXPECT_EQ(rules.rules[1].description, "B");
    EXPECT_EQ(rules.rules[2].description, "A");
    EXPECT_EQ(form.selected(), 0);
    EXPECT_EQ(loadRules(home.path()), rules);
    EXPECT_FALSE(std::filesystem::exists(home / kRulesBackupFile));
}

}  // namespace
}  // namespace velmora::retrieval
