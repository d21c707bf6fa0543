#include "profiles/option_page.h"

#include <stdexcept>
#include <system_error>

#include "base/identity.h"

namespace velmora::profiles {

const char* configPageCaption(ConfigPage page) {
    switch (page) {
        case ConfigPage::Users:
            return "Users";
        case ConfigPage::AddressBooks:
            return "Address Books";
        case ConfigPage::Retrieve:
            return "Retrieve (POP3)";
        case ConfigPage::Send:
            return "Send (SMTP)";
        case ConfigPage::Compose:
            return "Compose";
        case ConfigPage::Read:
            return "Read";
        case ConfigPage::Reply:
            return "Reply";
        case ConfigPage::Misc:
            return "Misc";
        case ConfigPage::Other:
            return "Other";
        case ConfigPage::Gui:
            return "GUI";
    }
    return "";
}

OptionPage::OptionPage(ConfigPage page, const char* file, bool ChangedFlags::*flag,
                       Settings& settings,
                       std::function<std::error_code(const std::filesystem::path&)> save)
    : page_(page), file_(file), flag_(flag), settings_(settings), save_(std::move(save)) {}

void OptionPage::setContext(platform::Platform* platform, std::filesystem::path home,
                            ConfigEvents* events) {
    platform_ = platform;
    home_ = std::move(home);
    events_ = events;
}

void OptionPage::add(Binding binding) {
    bindings_.push_back(std::move(binding));
}

std::vector<PageOption> OptionPage::options() const {
    std::vector<PageOption> all;
    for (const auto& b : bindings_) all.push_back(b.option);
    return all;
}

const OptionPage::Binding& OptionPage::binding(const std::string& id) const {
    for (const auto& b : bindings_)
        if (b.option.id == id) return b;
    throw std::out_of_range("no option " + id + " on page " + configPageCaption(page_));
}

const PageOption& OptionPage::option(const std::string& id) const {
    return binding(id).option;
}

OptionValue OptionPage::value(const std::string& id) const {
    return binding(id).get();
}

bool OptionPage::enabled(const std::string& id) const {
    const auto& b = binding(id);
    return !b.enabled || b.enabled();
}

std::string OptionPage::caption(const std::string& id) const {
    return binding(id).option.caption;
}

std::string OptionPage::suffix(const std::string& id) const {
    return binding(id).option.suffix;
}

void OptionPage::setValue(const std::string& id, OptionValue v) {
    const Binding& b = binding(id);
    if (!b.set) return;
    if (v.index() != b.get().index()) return;
    if (auto* text = std::get_if<std::string>(&v);
        text && b.option.maxLength > 0 && text->size() > b.option.maxLength)
        text->resize(b.option.maxLength);
    if (v == b.get()) return;
    b.set(v);
    afterChange(id);
    markChanged(id);
}

void OptionPage::markChanged(const std::string& id) {
    settings_.changed.*flag_ = true;
    if (events_) events_->optionChanged(page_, id);
}

void OptionPage::chooseFont(const std::string& id) {
    if (!platform_) return;
    const FontSetting current = font(id);
    platform::FontChoice initial;
    initial.family = current.name;
    try {
        initial.pointSize = std::stoi(current.size);
    } catch (const std::exception&) {
    }
    initial.colour = colourName(current.colour);
    const auto chosen = platform_->dialogs.chooseFont(initial);
    if (!chosen) return;
    setValue(id, FontSetting{chosen->family, std::to_string(chosen->pointSize),
                             colourFromName(chosen->colour)});
}

void OptionPage::browseFile(const std::string& id) {
    if (!platform_) return;
    platform::FileDialogRequest request;
    request.title = caption(id);
    request.filters = {{"Wave Files", {"*.wav"}}, {"All Files", {"*"}}};
    const std::filesystem::path current = text(id);
    if (!current.empty()) request.initialDirectory = current.parent_path();
    const auto files = platform_->dialogs.openFiles(request);
    if (!files.empty()) setValue(id, files.front().string());
}

void OptionPage::leave() {
    if (!changed()) return;
    if (auto error = save_(home_))
        throw std::system_error(error, std::string("Cannot write ") + (home_ / file_).string());
    settings_.changed.*flag_ = false;
}

}  // namespace velmora::profiles
