// The scratch pad's widget: a plain-text editor filling the sub-window, which renders the
// TscratchPadForm model and forwards keys, edits and the pop-up menu to it. A new pad's frame
// takes the whole client area of the main window.
#pragma once

#include <functional>

#include "desktop/child_view.h"
#include "tools/scratch_pad_form.h"

class QMenu;
class QPlainTextEdit;

namespace velmora::desktop {

class ScratchPadView final : public ChildView {
  public:
    ScratchPadView(tools::TscratchPadForm& model, QWidget* parent);
    void refreshFromModel() override;
    QPlainTextEdit* editor() const { return edit_; }
    // Lays out the model's pop-up menu as it stands now.
    void fillPopupMenu(QMenu& menu);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void run(const std::function<void()>& command);

    tools::TscratchPadForm& model_;
    QPlainTextEdit* edit_ = nullptr;
    bool filling_ = false;
    bool fillArea_ = false;
};

// Registers the view for scratch pads ("ScratchPad." keys) with the main window.
void registerScratchPadView();

}  // namespace velmora::desktop
