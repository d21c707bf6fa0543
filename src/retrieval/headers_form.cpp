#include "retrieval/headers_form.h"

#include <algorithm>
#include <cctype>

#include "base/settings_lines.h"
#include "mime/address.h"
#include "mime/headers.h"
#include "mime/readable_text.h"
#include "profiles/profile_menus.h"
#include "store/date_text.h"
#include "store/list_item.h"
#include "store/message_file.h"

namespace velmora::retrieval {

namespace {

bool countsAsEmpty(std::string_view text) {
    const std::string_view t = mime::trimWhite(text);
    return t.empty() || t == "<>";
}

std::string firstRecipientText(const mime::TmsHeaders& headers) {
    const mime::TmsAddressList entries = store::readableAddressList(headers, "To:");
    if (entries.Count() == 0) return store::kNoNameUnknownAddress;
    const mime::TmsMailAddress& to = entries[0];
    const bool noName = countsAsEmpty(to.Name());
    std::string address = countsAsEmpty(to.Address()) ? std::string() : to.Address();
    if (!noName && !address.empty()) return to.Name() + " <" + address + ">";
    if (!noName) return to.Name() + " " + store::kUnknownAddress;
    if (!address.empty()) {
        std::erase(address, '<');
        std::erase(address, '>');
        return address;
    }
    return store::kNoNameUnknownAddress;
}

// The number a No or Size KB text starts with ("12.3" gives 12.3); texts without one sort first.
double numberOf(const std::string& text) {
    try {
        return std::stod(text);
    } catch (...) {
        return -1;
    }
}

}  // namespace

const char* actionText(ServerAction action) {
    return kServerActionTexts[static_cast<std::size_t>(action)];
}

ServerAction defaultServerAction(int profileChoice) {
    if (profileChoice < 0 || profileChoice > 3) return ServerAction::RetAndDel;
    return static_cast<ServerAction>(profileChoice);
}

std::array<std::string, kHeadersColumnCount> headersRowColumns(ServerAction action, int serverIndex,
                                                               const net::TmsRemoteInfoItem& info,
                                                               int dateFormat) {
    const mime::TmsHeaders& headers = info.Headers;
    // Read in UTF-8 whatever character set their encoded words were in.
    std::string from = mime::readableHeaderValue(store::readPrivateValue(headers, "From"));
    if (countsAsEmpty(from)) from = store::kNoNameUnknownAddress;
    return {actionText(action),
            std::to_string(static_cast<std::int64_t>(serverIndex) + 1),
            store::sizeText(static_cast<std::uintmax_t>(std::max<std::int64_t>(info.Size, 0))),
            store::readableSubject(headers),
            from,
            firstRecipientText(headers),
            store::dateText(headers.GetFieldValue("Date"), dateFormat)};
}

HeadersLayout loadHeadersLayout(const std::filesystem::path& home) {
    SettingsReader reader(home / kHeadersLayoutFile);
    HeadersLayout layout;
    if (!reader.exists()) return layout;
    layout.fromFile = true;
    for (int i = 0; i < kHeadersColumnCount; ++i)
        layout.widths[static_cast<std::size_t>(i)] = static_cast<int>(std::clamp<std::int64_t>(
            reader.integer(kHeadersColumnWidths[static_cast<std::size_t>(i)]), 0, 10'000));
    const std::int64_t height = reader.integer(-1);
    const std::int64_t top = reader.integer(-1);
    if (height >= 0 && height <= 100'000) layout.listHeight = static_cast<int>(height);
    if (top >= 0 && top <= 100'000) layout.listTop = static_cast<int>(top);
    layout.fullSize = reader.boolean(false);
    return layout;
}

std::error_code saveHeadersLayout(const std::filesystem::path& home, const HeadersLayout& layout) {
    SettingsWriter writer;
    for (int width : layout.widths) writer.integer(width);
    writer.integer(layout.listHeight.value_or(0));
    writer.integer(layout.listTop.value_or(0));
    writer.boolean(layout.fullSize);
    return writer.save(home / kHeadersLayoutFile);
}

TheadersForm::TheadersForm(platform::Platform& platform, std::filesystem::path home,
                           Commands commands)
    : platform_(platform), home_(std::move(home)), commands_(std::move(commands)) {
    setKey(kHeadersWindowKey);
    layout_ = loadHeadersLayout(home_);
    updateCaption();
}

void TheadersForm::updateCaption() {
    const std::size_t n = rows_.size();
    setCaption(n == 1 ? std::string("Retrieve Headers - 1 Header")
                      : "Retrieve Headers - " + std::to_string(n) + " Headers");
}

void TheadersForm::clearRows() {
    rows_.clear();
    selected_.clear();
    current_ = -1;
    buttons_.reset();
    executeEnabled_ = false;
    actionGroupEnabled_ = false;
    updateCaption();
}

void TheadersForm::addRow(HeadersRow row) {
    rows_.push_back(std::move(row));
    selected_.push_back(false);
    selectOnly(static_cast<int>(rows_.size()) - 1);
    updateCaption();
}

void TheadersForm::fetchFinished() {
    updateCaption();
    executeEnabled_ = !rows_.empty();
    actionGroupEnabled_ = !rows_.empty();
    if (rows_.empty()) {
        buttons_.reset();
        return;
    }
    clickRow(0);
}

void TheadersForm::selectOnly(int row) {
    std::fill(selected_.begin(), selected_.end(), false);
    current_ = row;
    if (row >= 0 && row < static_cast<int>(rows_.size())) {
        selected_[static_cast<std::size_t>(row)] = true;
        buttons_ = rows_[static_cast<std::size_t>(row)].action;
    }
}

std::vector<int> TheadersForm::selectedRows() const {
    std::vector<int> rows;
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i]) rows.push_back(static_cast<int>(i));
    return rows;
}

int TheadersForm::heldCount() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const HeadersRow& row) {
        return row.action == ServerAction::Hold;
    }));
}

platform::Menu TheadersForm::popupMenu() {
    using platform::MenuEntry;
    auto entry = [](std::string name, std::string caption, bool enabled,
                    std::function<void()> command) {
        MenuEntry e(std::move(name), std::move(caption));
        e.enabled = enabled;
        e.command = std::move(command);
        return e;
    };
    struct ActionEntry {
        const char* name;
        const char* caption;
        ServerAction action;
    };
    static constexpr ActionEntry kActionEntries[] = {
        {"mnuHeaders_RetDel", "&Retrieve and Delete", ServerAction::RetAndDel},
        {"mnuHeaders_RetHold", "Retrieve and H&old", ServerAction::RetAndHold},
        {"mnuHeaders_Hold", "&Hold", ServerAction::Hold},
        {"mnuHeaders_Delete", "&Delete", ServerAction::Delete}};
    const bool rows = !rows_.empty();
    platform::Menu menu{entry("mnuHeaders_Retrieve", "Re&trieve Headers", true,
                              [this] { cmdRetrieveHeadersClick(); }),
                        entry("mnuHeaders_Execute", "&EXECUTE ACTION", executeEnabled_,
                              [this] { cmdExecuteClick(); }),
                        MenuEntry::separator()};
    for (const ActionEntry& a : kActionEntries)
        menu.push_back(entry(a.name, a.caption, rows && actionGroupEnabled_,
                             [this, action = a.action] { setAction(action); }));
    menu.push_back(entry("mnuHeaders_SelectAll", "&Select All", rows, [this] { selectAll(); }));
    menu.push_back(MenuEntry::separator());
    menu.push_back(
        entry("mnuHeaders_ListSize", sizeMenuCaption(), true, [this] { toggleFullSize(); }));
    menu.push_back(profiles::changeUserProfileMenu(commands_.profiles, "mnuHeaders_Profile"));
    menu.push_back(MenuEntry::separator());
    const platform::Commands none;
    const platform::Commands& registered = commands_.registered ? *commands_.registered : none;
    menu.push_back(platform::commandMenuEntry(registered, "mnuHeaders_Tips", "Floating &Tips",
                                              platform::kFloatingTipsCommand));
    menu.push_back(entry("mnuHeaders_Close", "&Close Window", true, nullptr));
    menu.push_back(
        platform::commandMenuEntry(registered, "mnuHeaders_Help", "&Help", platform::kHelpCommand));
    return menu;
}

std::string TheadersForm::sizeMenuCaption() const {
    return layout_.fullSize ? "Show ListView Reduced Size" : "&Show ListView Full Size";
}

void TheadersForm::clickRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    selectOnly(row);
}

void TheadersForm::setSelected(std::size_t row, bool selected) {
    if (row >= rows_.size()) return;
    selected_[row] = selected;
    if (selected) {
        current_ = static_cast<int>(row);
        buttons_ = rows_[row].action;
    }
}

void TheadersForm::selectAll() {
    std::fill(selected_.begin(), selected_.end(), true);
}

void TheadersForm::setAction(ServerAction action) {
    if (rows_.empty()) return;
    const std::vector<int> chosen = selectedRows();
    if (chosen.empty()) return;
    for (int row : chosen) {
        rows_[static_cast<std::size_t>(row)].action = action;
        rows_[static_cast<std::size_t>(row)].columns[0] = actionText(action);
    }
    buttons_ = action;
}

bool TheadersForm::pressKey(char key, bool ctrl) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
    if (ctrl) {
        if (lower != 'a') return false;
        selectAll();
        return true;
    }
    switch (lower) {
        case 'r':
            setAction(ServerAction::RetAndDel);
            return true;
        case 'o':
            setAction(ServerAction::RetAndHold);
            return true;
        case 'h':
            setAction(ServerAction::Hold);
            return true;
        case 'd':
            setAction(ServerAction::Delete);
            return true;
        default:
            return false;
    }
}

void TheadersForm::cmdRetrieveHeadersClick() {
    if (commands_.retrieveHeaders) commands_.retrieveHeaders();
}

void TheadersForm::cmdExecuteClick() {
    if (!executeEnabled_ || rows_.empty()) return;
    if (commands_.executeAction) commands_.executeAction();
}

void TheadersForm::toggleFullSize() {
    layout_.fullSize = !layout_.fullSize;
}

void TheadersForm::sortBy(int column) {
    if (column < 0 || column >= kHeadersColumnCount) return;
    if (column == sortColumn_)
        sortDescending_ = !sortDescending_;
    else
        sortDescending_ = false;
    sortColumn_ = column;
    const bool numeric = column == 1 || column == 2;
    // The selection travels with its rows.
    std::vector<std::pair<HeadersRow, bool>> pairs;
    pairs.reserve(rows_.size());
    const int currentIndex =
        current_ >= 0 ? rows_[static_cast<std::size_t>(current_)].serverIndex : -1;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        pairs.emplace_back(std::move(rows_[i]), selected_[i]);
    const auto c = static_cast<std::size_t>(column);
    std::stable_sort(pairs.begin(), pairs.end(), [&](const auto& a, const auto& b) {
        int order;
        if (numeric) {
            const double x = numberOf(a.first.columns[c]);
            const double y = numberOf(b.first.columns[c]);
            order = x < y ? -1 : (y < x ? 1 : 0);
        } else {
            order = a.first.columns[c].compare(b.first.columns[c]);
        }
        return sortDescending_ ? order > 0 : order < 0;
    });
    current_ = -1;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        rows_[i] = std::move(pairs[i].first);
        selected_[i] = pairs[i].second;
        if (rows_[i].serverIndex == currentIndex) current_ = static_cast<int>(i);
    }
}

void TheadersForm::setColumnWidth(int column, int width) {
    if (column < 0 || column >= kHeadersColumnCount) return;
    auto& stored = layout_.widths[static_cast<std::size_t>(column)];
    if (stored != width) widthsChanged_ = true;
    stored = width;
}

void TheadersForm::setListGeometry(int height, int top) {
    layout_.listHeight = height;
    layout_.listTop = top;
}

bool TheadersForm::closeQuery() {
    return !(commands_.busy && commands_.busy());
}

void TheadersForm::onClose() {
    if (!layout_.fromFile || widthsChanged_) {
        if (auto error = saveHeadersLayout(home_, layout_); !error) {
            layout_.fromFile = true;
            widthsChanged_ = false;
        }
    }
    clearRows();
}

}  // namespace velmora::retrieval
