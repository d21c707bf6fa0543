// The address books' modal windows on Qt: "Verify Addresses" (TckAddressForm), "Import Address
// Books" (TimportForm) and "Re-Order Address Book Names" (TorderABKForm). Each renders its model
// and forwards the user's actions; none holds a rule.
#pragma once

#include <QDialog>
#include <functional>

#include "addressbook/import_form.h"
#include "addressbook/order_form.h"
#include "addressbook/verify_form.h"

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace velmora::desktop {

using DialogRunner = std::function<bool(std::function<void()>)>;

class VerifyDialog final : public QDialog {
  public:
    VerifyDialog(addressbook::TckAddressForm& form, QWidget* parent = nullptr);
    // Opens the window, starts the check at once, and returns when it is closed.
    void runModal();
    void refresh();

  protected:
    void reject() override;

  private:
    addressbook::TckAddressForm& form_;
    QListWidget* good_ = nullptr;
    QListWidget* bad_ = nullptr;
    QLabel* record_ = nullptr;
    QLabel* address_ = nullptr;
    QLabel* verified_ = nullptr;
    QLabel* unverified_ = nullptr;
    QProgressBar* verifiedBar_ = nullptr;
    QProgressBar* unverifiedBar_ = nullptr;
    QProgressBar* checkedBar_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* print_ = nullptr;
};

class ImportDialog final : public QDialog {
  public:
    ImportDialog(addressbook::TimportForm& form, DialogRunner run, QWidget* parent = nullptr);
    void refresh();

  private:
    void act(const std::function<void()>& action);

    addressbook::TimportForm& form_;
    DialogRunner run_;
    bool updating_ = false;
    QComboBox* type_ = nullptr;
    QPushButton* getData_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QListWidget* preview_ = nullptr;
    QComboBox* books_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* import_ = nullptr;
};

class OrderDialog final : public QDialog {
  public:
    OrderDialog(addressbook::TorderABKForm& form, DialogRunner run, QWidget* parent = nullptr);
    void refresh();

  private:
    void act(const std::function<void()>& action);

    addressbook::TorderABKForm& form_;
    DialogRunner run_;
    bool updating_ = false;
    QListWidget* list_ = nullptr;
    QLabel* label_ = nullptr;
};

}  // namespace velmora::desktop
