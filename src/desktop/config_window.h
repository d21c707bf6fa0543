// The configuration window on Qt: a modal dialog with one tab per page of TconfigForm (Users,
// Address Books, Retrieve (POP3), Send (SMTP), Compose, Read, Reply, Misc, Other, GUI) and a
// "Close" button. It renders the model and forwards every action to it; changing the tab leaves
// (and saves) the old page in the model.
//
// The main window keeps one ConfigWindow and calls openModal from the Configure menu, or with
// `addFirstProfile` on the first start without profiles.
#pragma once

#include <QDialog>
#include <array>

#include "profiles/config_form.h"

class QTabWidget;

namespace velmora::core {
class AddressBookHooks;
}

namespace velmora::desktop {

class AddressBookPageView;
class ConfigOptionPage;
class ConfigUsersPage;

class ConfigWindow final : public QDialog {
  public:
    // With `addressBooks` the Address Books tab shows their page.
    ConfigWindow(profiles::TconfigForm& model, profiles::ProfileLists& lists,
                 QWidget* parent = nullptr, core::AddressBookHooks* addressBooks = nullptr);

    // Shows the window modal on `page` and returns when it is closed. With `addFirstProfile`
    // the Users page goes straight to adding a profile once the window is up.
    void openModal(profiles::ConfigPage page, bool addFirstProfile = false);
    // Opens without blocking (for tests and screenshots); close() ends it like "Close".
    void openOn(profiles::ConfigPage page);

    ConfigUsersPage& usersPage() { return *users_; }
    AddressBookPageView* addressBooksPage() { return addressBooks_; }
    ConfigOptionPage* optionPage(profiles::ConfigPage page);
    QTabWidget& tabs() { return *tabs_; }
    void refreshPage(profiles::ConfigPage page);

  protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

  private:
    bool run(const std::function<void()>& action);

    profiles::TconfigForm& model_;
    QTabWidget* tabs_ = nullptr;
    ConfigUsersPage* users_ = nullptr;
    AddressBookPageView* addressBooks_ = nullptr;
    std::array<ConfigOptionPage*, profiles::kConfigPageCount> pages_{};
    bool switching_ = false;
};

}  // namespace velmora::desktop
