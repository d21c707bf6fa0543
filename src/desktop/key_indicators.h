// Watches the keys typed anywhere in the main window for its INS and CAP panels. Insert switches
// the focused text pane between inserting and overwriting. Qt does not tell the Caps Lock state,
// so it is read off the typed letters: a capital without Shift, or a small letter with it, means
// Caps Lock is on; the Caps Lock key itself flips what is known.
#pragma once

#include <QObject>

namespace velmora::core {
class TmainForm;
}

class QKeyEvent;
class QWidget;

namespace velmora::desktop {

class KeyIndicators final : public QObject {
  public:
    KeyIndicators(core::TmainForm& model, QWidget* frame);
    // Tells the model the state of now (after activation and window arrangements).
    void refresh();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void keyPressed(const QKeyEvent& key);

    core::TmainForm& model_;
    QWidget* frame_;
    bool capsLockOn_ = false;
};

}  // namespace velmora::desktop
