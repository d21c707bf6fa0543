// The Qt view of the read acknowledgement question (compose::TreadReceiptForm): the two texts,
// the profile choice and the four buttons, shown modal over the window in front.
#pragma once

#include <QDialog>

#include "compose/read_receipt.h"

class QComboBox;
class QPushButton;

namespace velmora::desktop {

class ReadReceiptDialog final : public QDialog {
  public:
    ReadReceiptDialog(QWidget* parent, compose::TreadReceiptForm& form);
    compose::ReadReceiptButton answer() const { return answer_; }

  protected:
    // The focus starts on "&Cancel".
    void showEvent(QShowEvent* event) override;

  private:
    void finish(compose::ReadReceiptButton button);

    compose::TreadReceiptForm& form_;
    QComboBox* profiles_ = nullptr;
    QPushButton* focusButton_ = nullptr;
    compose::ReadReceiptButton answer_ = compose::ReadReceiptButton::Cancel;
};

// Makes every question window of the program use this view.
void registerReadReceiptView();

}  // namespace velmora::desktop
