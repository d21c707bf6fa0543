// The signature window's widget (compose::TsignatureForm), modal: the list of the profile's
// blocks, the editor of the selected block, "&Add", "&Edit", "&Delete" and "&Close", and the
// pop-up menu from the model's table. It renders the model and forwards every action to it;
// the list's Shift+Up/Down/Home/End and dragging move blocks. Every control carries an
// accessible name.
#pragma once

#include <QDialog>

#include "compose/signature_form.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace velmora::desktop {

class SignatureWindowDialog final : public QDialog {
  public:
    SignatureWindowDialog(compose::TsignatureForm& form, QWidget* parent);
    ~SignatureWindowDialog() override;
    void refreshFromModel();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Runs a model command and renders the model again; `moveFocus` puts the focus where the
    // model says (after the buttons, not after moving in the list).
    void act(const std::function<void()>& action, bool moveFocus = true);
    void applyFocus();

    compose::TsignatureForm& form_;
    bool refreshing_ = false;
    QListWidget* list_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* close_ = nullptr;
};

// Makes every signature window of the program use this view, over the window in front.
void registerSignatureWindowView();

}  // namespace velmora::desktop
