// Rules and filters: an ordered list of rules, each comparing one field of an arriving message
// with a text and, on a match, telling retrieval to delete the message, move it into a mail
// folder, or copy it there as well as into InBox. The first enabled rule that matches decides.
//
// The list is kept in "filters.raf" in the home folder (and a copy, "filters.bak", written by the
// rules window): the version line, the selected position, the number of rules, then seven lines
// per rule (description, enabled, folder path, filter text, action, field, comparison).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora::retrieval {

inline constexpr const char* kRulesFile = "filters.raf";
inline constexpr const char* kRulesBackupFile = "filters.bak";

// Bounds what a damaged or hostile rule file can make the program allocate.
inline constexpr std::int64_t kMaxRules = 10'000;

enum class RuleAction { DeleteMessage = 0, MoveTo = 1, CopyTo = 2 };
enum class RuleField {
    FromName = 0,
    FromAddress = 1,
    ToName = 2,
    ToAddress = 3,
    Subject = 4,
    Body = 5
};
enum class RuleComparison { BeginsWith = 0, EndsWith = 1, Contains = 2, ExactMatch = 3 };

inline constexpr const char* kActionChoices[] = {"Delete Message", "Move to", "Copy to"};
inline constexpr const char* kFieldChoices[] = {"From Name",  "From Address", "To Name",
                                                "To Address", "Subject",      "Body"};
inline constexpr const char* kComparisonChoices[] = {"Begins With", "Ends With", "Contains",
                                                     "Exact Match"};

// One rule. A new record has empty texts, the first choice of each list and is enabled.
struct TMailFiltersObjectListBox {
    std::string description;
    std::string folderPath;  // full path of the target folder directory; empty until chosen
    std::string filterText;
    int action = 0;     // RuleAction
    int filterOn = 0;   // RuleField
    int filterHow = 0;  // RuleComparison
    bool enabled = true;

    bool operator==(const TMailFiltersObjectListBox&) const = default;
};

struct RuleList {
    std::vector<TMailFiltersObjectListBox> rules;
    int selected = -1;  // -1 while empty

    bool operator==(const RuleList&) const = default;
};

// The field values of one arriving message, as the retrieval path in use fills them.
struct RuleFields {
    std::string fromName;
    std::string fromAddress;
    std::string toName;
    std::string toAddress;
    std::string subject;
    std::string body;  // all body lines joined with CR LF

    const std::string& value(RuleField field) const;
};

// What the rules decided for one message: no action (store in InBox), or the action and the
// position of the rule that matched.
struct RuleMatch {
    std::optional<RuleAction> action;
    std::size_t rule = 0;
};

// The file's bytes for a list. The selected position -1 is written as 0.
std::string rulesFileBytes(const RuleList& list);
// The list in a file's bytes. A rule whose action, field or comparison line is not a number of
// its list is loaded disabled with that choice at 0: a damaged line must never turn into
// "Delete Message" and drop mail. A count beyond the lines there are reads the rules there are.
RuleList parseRulesFile(std::string_view bytes);

// Reads "filters.raf" of the home folder; a missing file gives an empty list. The selection is
// the stored position when it lies in the list, else the first rule (-1 for an empty list).
RuleList loadRules(const std::filesystem::path& home);
// Writes the whole list to `file`, atomically.
[[nodiscard]] std::error_code saveRules(const RuleList& list, const std::filesystem::path& file);

// Whether a rule's text matches a field value, both compared lower-cased (ASCII letters).
// Begins With, Ends With and Contains never match an empty text; Exact Match compares whole
// values, so an empty text matches an empty value.
bool ruleMatches(RuleComparison how, std::string_view value, std::string_view text);

// Walks the enabled rules in list order; the first that matches gives the action.
RuleMatch applyRules(const RuleList& list, const RuleFields& fields);

// The logical folder path (Work\Sub, Trash) a rule's folder path names, when it is a valid
// target for arriving mail: Trash or a user folder (at any depth, not inside another default
// folder) whose directory exists under `home`. Nothing else is: not OutBox (a hostile message
// would later be sent from the user's account), Sent, Drafts, InBox, the home folder itself,
// "Attach", a path with "." or "..", or a link. A path written on another machine or before the
// home folder moved is read by its folder components.
std::optional<std::string> ruleTargetFolder(const std::filesystem::path& home,
                                            std::string_view folderPath);

}  // namespace velmora::retrieval
