// The tip of the day window's widget (tools::TtipsForm), modal: a heading, the tip, the switch
// "Show tips at start-up" and the previous, next and close buttons. It renders the model after
// every step and forwards each action to it. Every control carries an accessible name.
#pragma once

#include <QDialog>

#include "tools/tips_form.h"

class QCheckBox;
class QLabel;

namespace velmora::desktop {

class TipsDialog final : public QDialog {
  public:
    TipsDialog(tools::TtipsForm& form, QWidget* parent);
    ~TipsDialog() override;
    void refreshFromModel();

  protected:
    void reject() override;

  private:
    tools::TtipsForm& form_;
    QLabel* tip_ = nullptr;
    QCheckBox* showAtStartup_ = nullptr;
};

// Makes every tip of the day of the program use this window.
void registerTipsWindowView();

}  // namespace velmora::desktop
