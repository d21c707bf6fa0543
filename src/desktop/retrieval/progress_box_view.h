// The progress box of a mail transfer: a small window on top of the main window with the
// caption, the two status lines and bars, the time-out line and Cancel. It follows the model
// (TretrieveHeadersDialogForm) through its change signal: shown while the model is visible.
#pragma once

#include <QDialog>

#include "retrieval/progress_box.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace velmora::desktop {

class ProgressBoxView final : public QDialog {
  public:
    ProgressBoxView(retrieval::TretrieveHeadersDialogForm& model, QWidget* parent);
    ~ProgressBoxView() override;
    void refreshFromModel();

  protected:
    void reject() override;  // Esc and the close button cancel, as Cancel does
    void moveEvent(QMoveEvent* event) override;

  private:
    retrieval::TretrieveHeadersDialogForm& model_;
    QLabel* upper_ = nullptr;
    QProgressBar* upperBar_ = nullptr;
    QLabel* lower_ = nullptr;
    QProgressBar* lowerBar_ = nullptr;
    QLabel* timeout_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool placed_ = false;
};

}  // namespace velmora::desktop
