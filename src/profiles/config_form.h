// The configuration window `TconfigForm`: the tabbed pages Users, Address Books (its content
// comes with the address books), Retrieve (POP3), Send (SMTP), Compose, Read, Reply, Misc, Other
// and GUI. The main window creates it once, after the profiles and settings are loaded, and opens
// it modal on a page from the Configure menu; it is only hidden when closed. Each page saves its
// file when it is left and its values changed; "Close" leaves the current page and remembers the
// window's position for vl.cfg.
//
// The Qt widget (desktop/config_window.h) renders the pages from their models and forwards the
// user's actions through run(), which turns a failure into the general error report.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "profiles/config_pages.h"
#include "profiles/external_page.h"
#include "profiles/profile_lists.h"
#include "profiles/settings.h"
#include "profiles/users_page.h"

namespace velmora::profiles {

inline constexpr const char* kConfigCaption = "Velmora Pro Configuration";

// The Configure menu: each entry opens the window on its page.
struct ConfigureMenuEntry {
    const char* path;  // captions from the menu bar down, joined by "/"
    ConfigPage page;
    const char* shortcut;  // "" for none
};
inline constexpr std::array<ConfigureMenuEntry, 10> kConfigureMenu = {{
    {"&User Profiles...", ConfigPage::Users, "F8"},
    {"&Address Books...", ConfigPage::AddressBooks, "F9"},
    {"&Settings/&Mail/&Retrieve (POP3)", ConfigPage::Retrieve, ""},
    {"&Settings/&Mail/&Send (SMTP)", ConfigPage::Send, ""},
    {"&Settings/&Mail/&Compose", ConfigPage::Compose, ""},
    {"&Settings/&Mail/R&ead", ConfigPage::Read, ""},
    {"&Settings/&Mail/Re&ply", ConfigPage::Reply, ""},
    {"&Settings/&Mail/&Misc", ConfigPage::Misc, ""},
    {"&Settings/&Other", ConfigPage::Other, ""},
    {"&Settings/&GUI", ConfigPage::Gui, ""},
}};

class TconfigForm {
  public:
    // `lists` and `settings` belong to the main window and outlive this window.
    TconfigForm(platform::Platform& platform, std::filesystem::path home, ProfileLists& lists,
                Settings& settings, MailHandlerRegistry& mailHandler,
                ConfigEvents* events = nullptr);

    // Where errors of a command go (the main window's general error report); by default an
    // error box titled with the product name.
    void setErrorReporter(std::function<void(const std::string&)> reporter);
    // Runs a user action; an exception that leaves it is reported and the window goes on.
    // Returns false when the action failed.
    bool run(const std::function<void()>& action);

    // A settings load that reset the size limit (see loadRetrieveSettings) is reported as the
    // window is built: "Index Error 5073".
    void reportLoadProblems(bool sizeLimitReset);

    // Opening: the window becomes visible on `page` (the Qt side then runs it modal).
    void open(ConfigPage page);
    // The first start without profiles: the window opens on the Users page and goes straight to
    // adding a profile.
    void openForFirstProfile();
    // Another tab was chosen: the old page is left (and saved), the new one entered.
    void selectPage(ConfigPage page);
    // "Close": the page is left and saved, the position kept for vl.cfg, the window hidden.
    void close();
    // The widget reports where the window stands, for vl.cfg lines 11 and 12.
    void setPosition(int left, int top);
    // Where the window stood when it was last closed (vl.cfg), or nullopt: centred.
    std::optional<std::pair<int, int>> storedPosition() const;

    bool visible() const { return visible_; }
    ConfigPage page() const { return page_; }
    const char* caption() const { return kConfigCaption; }

    UsersPage& users() { return users_; }
    RetrievePage& retrieve() { return retrieve_; }
    SendPage& send() { return send_; }
    ComposePage& compose() { return compose_; }
    ReadPage& read() { return read_; }
    ReplyPage& reply() { return reply_; }
    MiscPage& misc() { return misc_; }
    OtherPage& other() { return other_; }
    GuiPage& gui() { return gui_; }
    // The Address Books page, filled in by the main window; none: the tab is empty.
    void setAddressBooksPage(ExternalPage* page) { addressBooks_ = page; }
    ExternalPage* addressBooksPage() const { return addressBooks_; }
    // The option page of a page; nullptr for Users and Address Books.
    OptionPage* optionPage(ConfigPage page);

  private:
    void enterPage(ConfigPage page);
    void leavePage(ConfigPage page);

    platform::Platform& platform_;
    std::filesystem::path home_;
    Settings& settings_;
    UsersPage users_;
    RetrievePage retrieve_;
    SendPage send_;
    ComposePage compose_;
    ReadPage read_;
    ReplyPage reply_;
    MiscPage misc_;
    OtherPage other_;
    GuiPage gui_;
    ExternalPage* addressBooks_ = nullptr;
    ConfigPage page_ = ConfigPage::Users;
    bool visible_ = false;
    int left_ = 0;
    int top_ = 0;
    bool positionKnown_ = false;
    std::function<void(const std::string&)> reporter_;
};

}  // namespace velmora::profiles
