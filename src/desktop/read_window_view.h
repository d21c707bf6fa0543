// The read window's widget: four tabs ("Full Headers", "Normal Headers", "Body Only",
// "Attachments [n]"), the message as plain text on the first three and the attachment files on
// the fourth. It renders the TreadForm model and forwards tab choices, keys and the pop-up menu.
#pragma once

#include <string>

#include "desktop/child_view.h"
#include "reading/read_window.h"

class QTabWidget;
class QPlainTextEdit;
class QListWidget;

namespace velmora::desktop {

class ReadWindowView final : public ChildView {
  public:
    ReadWindowView(reading::TreadForm& model, QWidget* parent);
    void refreshFromModel() override;
    reading::TreadForm& model() { return model_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void run(const std::function<void()>& command);
    void showMenu(const QPoint& at, QWidget* over);
    void syncAttachmentSelection();

    reading::TreadForm& model_;
    QTabWidget* tabs_ = nullptr;
    QPlainTextEdit* texts_[3] = {};
    QListWidget* attachments_ = nullptr;
    std::string shownText_;
    bool filling_ = false;
};

// Registers the view for read windows ("Read." keys) with the main window.
void registerReadWindowView();

}  // namespace velmora::desktop
