// The folder window's widget: the six-column message list over the preview pane. It renders the
// TinboxForm model and forwards clicks and selection changes to it.
#pragma once

#include "reading/folder_window.h"
#include "desktop/child_view.h"

class QTableWidget;
class QTextEdit;

namespace velmora::desktop {

class FolderWindowView final : public ChildView {
public:
    FolderWindowView(reading::TinboxForm& model, QWidget* parent);
    void refreshFromModel() override;
    reading::TinboxForm& model() { return model_; }

private:
    void syncSelection();

    reading::TinboxForm& model_;
    QTableWidget* list_ = nullptr;
    QTextEdit* preview_ = nullptr;
    bool filling_ = false;
};

// Registers the view for folder windows ("InBox." keys) with the main window.
void registerFolderWindowView();

}  // namespace velmora::desktop
