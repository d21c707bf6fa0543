// The spell check window's widget (tools::TspellCheckForm), modal: the unknown word, its line
// with the word marked, the "Change To" field, the suggestions and the six buttons. It renders
// the model after every step and forwards each action to it; closing the window is the
// "&Cancel" / "&Done" button. Every control carries an accessible name.
#pragma once

#include <QDialog>

#include "tools/spell_check_form.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace velmora::desktop {

class SpellCheckDialog final : public QDialog {
  public:
    SpellCheckDialog(tools::TspellCheckForm& form, QWidget* parent);
    ~SpellCheckDialog() override;
    void refreshFromModel();

  protected:
    void reject() override;

  private:
    tools::TspellCheckForm& form_;
    bool refreshing_ = false;
    QLabel* word_ = nullptr;
    QTextBrowser* line_ = nullptr;
    QLineEdit* changeTo_ = nullptr;
    QListWidget* suggestions_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* changeAll_ = nullptr;
    QPushButton* ignore_ = nullptr;
    QPushButton* ignoreAll_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Makes every spell check of the program use this window, over the window in front.
void registerSpellCheckWindowView();

}  // namespace velmora::desktop
