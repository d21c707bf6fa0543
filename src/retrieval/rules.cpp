#include "retrieval/rules.h"

#include <algorithm>
#include <charconv>

#include "base/settings_lines.h"
#include "base/text_file.h"
#include "base/unicode_text.h"
#include "mime/headers.h"
#include "store/folders.h"

namespace velmora::retrieval {

namespace {

constexpr int kActionCount = 3;
constexpr int kFieldCount = 6;
constexpr int kComparisonCount = 4;

// A choice line: its position when it is a plain number of the list, else nullopt.
std::optional<int> choiceOf(std::string_view line, int count) {
    const std::string_view text = mime::trimWhite(line);
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    if (value < 0 || value >= count) return std::nullopt;
    return value;
}

std::optional<std::int64_t> numberOf(std::string_view line) {
    const std::string_view text = mime::trimWhite(line);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<std::string> pathComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
        if (i > start) parts.emplace_back(path.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

// The folder's own name of a directory component ("Work" of "Work.001"); nullopt for anything
// that cannot be a folder's own name.
std::optional<std::string> folderNameOf(const std::string& component, const char* extension) {
    if (!endsWith(component, extension)) return std::nullopt;
    std::string name = component.substr(0, component.size() - 4);
    if (name.empty() || name == "." || name == ".." || name == store::kAttachDirectory)
        return std::nullopt;
    return name;
}

}  // namespace

const std::string& RuleFields::value(RuleField field) const {
    switch (field) {
        case RuleField::FromName:
            return fromName;
        case RuleField::FromAddress:
            return fromAddress;
        case RuleField::ToName:
            return toName;
        case RuleField::ToAddress:
            return toAddress;
        case RuleField::Subject:
            return subject;
        case RuleField::Body:
            return body;
    }
    return body;
}

std::string rulesFileBytes(const RuleList& list) {
    SettingsWriter writer;
    writer.integer(list.selected < 0 ? 0 : list.selected);
    writer.integer(static_cast<std::int64_t>(list.rules.size()));
    for (const auto& rule : list.rules) {
        writer.text(rule.description)
            .boolean(rule.enabled)
            .text(rule.folderPath)
            .text(rule.filterText)
            .integer(rule.action)
            .integer(rule.filterOn)
            .integer(rule.filterHow);
    }
    return writer.bytes();
}

RuleList parseRulesFile(std::string_view bytes) {
    const std::vector<std::string> lines = splitLines(bytes);
    RuleList list;
    auto line = [&](std::size_t index) -> std::string_view {
        return index < lines.size() ? std::string_view(lines[index]) : std::string_view();
    };
    const std::int64_t stored = lines.size() > 1 ? numberOf(line(1)).value_or(0) : 0;
    std::int64_t count = lines.size() > 2 ? numberOf(line(2)).value_or(0) : 0;
    if (count < 0) count = 0;
    // A count beyond the file's lines reads only the records that are there.
    const std::int64_t present =
        lines.size() > 3 ? static_cast<std::int64_t>((lines.size() - 3) / 7) : 0;
    count = std::min<std::int64_t>({count, present, kMaxRules});
    for (std::int64_t i = 0; i < count; ++i) {
        const std::size_t at = 3 + static_cast<std::size_t>(i) * 7;
        TMailFiltersObjectListBox rule;
        rule.description = std::string(line(at));
        rule.enabled = line(at + 1) == "TRUE";
        rule.folderPath = std::string(line(at + 2));
        rule.filterText = std::string(line(at + 3));
        const auto action = choiceOf(line(at + 4), kActionCount);
        const auto field = choiceOf(line(at + 5), kFieldCount);
        const auto how = choiceOf(line(at + 6), kComparisonCount);
        rule.action = action.value_or(0);
        rule.filterOn = field.value_or(0);
        rule.filterHow = how.value_or(0);
        if (!action || !field || !how) rule.enabled = false;
        list.rules.push_back(std::move(rule));
    }
    if (!list.rules.empty())
        list.selected = stored >= 0 && stored < static_cast<std::int64_t>(list.rules.size())
                            ? static_cast<int>(stored)
                            : 0;
    return list;
}

RuleList loadRules(const std::filesystem::path& home) {
    const auto bytes = readWholeFile(home / kRulesFile);
    if (!bytes) return {};
    return parseRulesFile(*bytes);
}

std::error_code saveRules(const RuleList& list, const std::filesystem::path& file) {
    return writeFileAtomically(file, rulesFileBytes(list));
}

// Case is ignored in every script: "ПРИВЕТ" begins "привет всем".
bool ruleMatches(RuleComparison how, std::string_view value, std::string_view text) {
    const std::string v = lowerCase(value);
    const std::string t = lowerCase(text);
    switch (how) {
        case RuleComparison::BeginsWith:
            return !t.empty() && v.starts_with(t);
        case RuleComparison::EndsWith:
            return !t.empty() && endsWith(v, t);
        case RuleComparison::Contains:
            return !t.empty() && v.find(t) != std::string::npos;
        case RuleComparison::ExactMatch:
            return v == t;
    }
    return false;
}

RuleMatch applyRules(const RuleList& list, const RuleFields& fields) {
    for (std::size_t i = 0; i < list.rules.size(); ++i) {
        const auto& rule = list.rules[i];
        if (!rule.enabled) continue;
        if (rule.action < 0 || rule.action >= kActionCount || rule.filterOn < 0 ||
            rule.filterOn >= kFieldCount || rule.filterHow < 0 ||
            rule.filterHow >= kComparisonCount)
            continue;
        const auto& value = fields.value(static_cast<RuleField>(rule.filterOn));
        if (!ruleMatches(static_cast<RuleComparison>(rule.filterHow), value, rule.filterText))
            continue;
        return {static_cast<RuleAction>(rule.action), i};
    }
    return {};
}

std::optional<std::string> ruleTargetFolder(const std::filesystem::path& home,
                                            std::string_view folderPath) {
    const std::vector<std::string> parts = pathComponents(folderPath);
    // The folder starts at the first folder directory component; everything after it must be
    // user folder directories.
    std::size_t first = 0;
    while (first < parts.size() && !endsWith(parts[first], store::kDefaultExtension) &&
           !endsWith(parts[first], store::kUserExtension))
        ++first;
    if (first == parts.size()) return std::nullopt;
    std::string logical;
    for (std::size_t i = first; i < parts.size(); ++i) {
        std::optional<std::string> name;
        if (i == first && endsWith(parts[i], store::kDefaultExtension)) {
            name = folderNameOf(parts[i], store::kDefaultExtension);
            if (name != "Trash") return std::nullopt;
        } else {
            name = folderNameOf(parts[i], store::kUserExtension);
            if (!name || store::isDefaultFolderName(*name)) return std::nullopt;
        }
        if (!logical.empty()) logical += '\\';
        logical += *name;
    }
    std::error_code error;
    const auto status =
        std::filesystem::symlink_status(store::folderDirectory(home, logical), error);
    if (error || !std::filesystem::is_directory(status)) return std::nullopt;
    return logical;
}

}  // namespace velmora::retrieval
