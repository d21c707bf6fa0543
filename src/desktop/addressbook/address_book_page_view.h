// The "Address Books" page on Qt: the book drop-down and its buttons, the entry list, the fields
// of the entry under edit, the mailing-list fields and build mode. It renders
// addressbook::AddressBooksPage and forwards every action to it; it holds no rule. The
// verification, import and re-order windows it opens are the dialogs beside it.
#pragma once

#include <QWidget>
#include <functional>

#include "addressbook/address_book_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace velmora::core {
class AddressBookHooks;
}

namespace velmora::desktop {

class AddressBookPageView final : public QWidget {
  public:
    using Runner = std::function<bool(std::function<void()>)>;
    // With `hooks` the page's windows open as dialogs over this page.
    AddressBookPageView(addressbook::AddressBooksPage& page, core::AddressBookHooks* hooks,
                        Runner run, QWidget* parent = nullptr);
    ~AddressBookPageView() override;

    // Shows the model's state.
    void refresh();
    QTreeView& entryList() { return *list_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void act(const std::function<void()>& action);
    void showVerification();
    void showImport();
    void showReorder();

    addressbook::AddressBooksPage& page_;
    core::AddressBookHooks* hooks_;
    Runner run_;
    bool updating_ = false;
    QComboBox* books_ = nullptr;
    QLabel* bookLabel_ = nullptr;
    QPushButton* newBook_ = nullptr;
    QPushButton* editBook_ = nullptr;
    QPushButton* removeBook_ = nullptr;
    QPushButton* backup_ = nullptr;
    QTreeView* list_ = nullptr;
    class EntryListModel* model_ = nullptr;
    QLabel* entriesLabel_ = nullptr;
    QLabel* typeAhead_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* save_ = nullptr;
    QLineEdit* fullName_ = nullptr;
    QLineEdit* nickname_ = nullptr;
    QLabel* addressesLabel_ = nullptr;
    QPlainTextEdit* addresses_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QCheckBox* mailingList_ = nullptr;
    QCheckBox* buildList_ = nullptr;
    QLabel* buildLabel_ = nullptr;
    QLabel* listCount_ = nullptr;
    QLineEdit* listFrom_ = nullptr;
    QLineEdit* listTo_ = nullptr;
    QLineEdit* listReplyTo_ = nullptr;
    QWidget* bookControls_ = nullptr;
    QWidget* listFields_ = nullptr;
};

}  // namespace velmora::desktop
