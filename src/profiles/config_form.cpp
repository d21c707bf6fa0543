#include "profiles/config_form.h"

#include "base/identity.h"

namespace velmora::profiles {

TconfigForm::TconfigForm(platform::Platform& platform, std::filesystem::path home,
                         ProfileLists& lists, Settings& settings, MailHandlerRegistry& mailHandler,
                         ConfigEvents* events)
    : platform_(platform),
      home_(std::move(home)),
      settings_(settings),
      users_(platform, home_, lists, settings),
      retrieve_(settings),
      send_(settings),
      compose_(settings),
      read_(settings),
      reply_(settings),
      misc_(settings),
      other_(settings, mailHandler),
      gui_(settings) {
    for (OptionPage* page : {static_cast<OptionPage*>(&retrieve_), static_cast<OptionPage*>(&send_),
                             static_cast<OptionPage*>(&compose_), static_cast<OptionPage*>(&read_),
                             static_cast<OptionPage*>(&reply_), static_cast<OptionPage*>(&misc_),
                             static_cast<OptionPage*>(&other_), static_cast<OptionPage*>(&gui_)})
        page->setContext(&platform_, home_, events);
}

void TconfigForm::setErrorReporter(std::function<void(const std::string&)> reporter) {
    reporter_ = std::move(reporter);
}

bool TconfigForm::run(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        if (reporter_)
            reporter_(e.what());
        else
            platform_.dialogs.error(kProductName, e.what());
        return false;
    }
}

void TconfigForm::reportLoadProblems(bool sizeLimitReset) {
    if (sizeLimitReset) retrieve_.reportSizeLimitReset();
}

OptionPage* TconfigForm::optionPage(ConfigPage page) {
    switch (page) {
        case ConfigPage::Retrieve:
            return &retrieve_;
        case ConfigPage::Send:
            return &send_;
        case ConfigPage::Compose:
            return &compose_;
        case ConfigPage::Read:
            return &read_;
        case ConfigPage::Reply:
            return &reply_;
        case ConfigPage::Misc:
            return &misc_;
        case ConfigPage::Other:
            return &other_;
        case ConfigPage::Gui:
            return &gui_;
        case ConfigPage::Users:
        case ConfigPage::AddressBooks:
            return nullptr;
    }
    return nullptr;
}

void TconfigForm::enterPage(ConfigPage page) {
    page_ = page;
    if (page == ConfigPage::Users)
        users_.enterPage();
    else if (page == ConfigPage::AddressBooks && addressBooks_)
        addressBooks_->enterPage();
    else if (OptionPage* options = optionPage(page))
        options->enter();
}

void TconfigForm::leavePage(ConfigPage page) {
    if (page == ConfigPage::Users)
        users_.leavePage();
    else if (page == ConfigPage::AddressBooks && addressBooks_)
        addressBooks_->leavePage();
    else if (OptionPage* options = optionPage(page))
        options->leave();
}

void TconfigForm::open(ConfigPage page) {
    if (visible_) {
        selectPage(page);
        return;
    }
    visible_ = true;
    enterPage(page);
}

void TconfigForm::openForFirstProfile() {
    open(ConfigPage::Users);
    users_.addClick();
}

void TconfigForm::selectPage(ConfigPage page) {
    if (page == page_) return;
    const ConfigPage old = page_;
    // The tab moves even when the old page cannot be written: the error is reported and the
    // changed flag stays, so the next leave tries again.
    page_ = page;
    try {
        leavePage(old);
    } catch (...) {
        enterPage(page);
        throw;
    }
    enterPage(page);
}

void TconfigForm::close() {
    if (!visible_) return;
    visible_ = false;
    if (positionKnown_) {
        settings_.vl.configWindowLeft = left_;
        settings_.vl.configWindowTop = top_;
    }
    leavePage(page_);
}

std::optional<std::pair<int, int>> TconfigForm::storedPosition() const {
    if (!settings_.vl.configWindowLeft || !settings_.vl.configWindowTop) return std::nullopt;
    return std::pair{*settings_.vl.configWindowLeft, *settings_.vl.configWindowTop};
}

void TconfigForm::setPosition(int left, int top) {
    left_ = left;
    top_ = top;
    positionKnown_ = true;
}

}  // namespace velmora::profiles
