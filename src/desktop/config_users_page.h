// The widget of the configuration window's "Users" page: the rank list of profiles (reordered
// with Shift+Up/Down/Home/End or by dragging), the fields of the selected profile, the
// "&Add", "&Delete", "&Signature" and font buttons and the page's pop-up menu. It renders the
// Users page model and forwards focus changes, typing, clicks and keys to it.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "profiles/users_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace velmora::desktop {

class ConfigUsersPage final : public QWidget {
  public:
    ConfigUsersPage(profiles::UsersPage& page, profiles::ProfileLists& lists,
                    std::function<bool(std::function<void()>)> run, QWidget* parent = nullptr);

    // Shows the model's state: list, fields, enabled buttons, font, and the focus it asks for.
    void refresh();
    profiles::UsersPage& model() { return page_; }

    QListWidget* rankList() const { return rankList_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QLineEdit* field(profiles::UsersFocus field) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void act(const std::function<void()>& action);
    QWidget* makeControl(profiles::UsersFocus field);
    QWidget* widgetFor(profiles::UsersFocus focus) const;
    profiles::UsersFocus focusOf(QObject* widget) const;

    profiles::UsersPage& page_;
    profiles::ProfileLists& lists_;
    std::function<bool(std::function<void()>)> run_;
    QListWidget* rankList_ = nullptr;
    // One control a field, by field: a line edit, a check box, a choice or a number.
    std::array<QLineEdit*, profiles::kUsersFieldCount> edits_{};
    std::array<QCheckBox*, profiles::kUsersFieldCount> checks_{};
    std::array<QComboBox*, profiles::kUsersFieldCount> choices_{};
    std::array<QSpinBox*, profiles::kUsersFieldCount> numbers_{};
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* signature_ = nullptr;
    QPushButton* font_ = nullptr;
    bool refreshing_ = false;
};

}  // namespace velmora::desktop
