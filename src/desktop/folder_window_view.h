// The folder window's widget: the six-column message list (a model/view list over the TinboxForm
// rows, so 100,000 rows cost nothing until they are drawn) over the plain-text preview pane. It
// renders the model and forwards clicks, keys, header clicks, column widths, drags and the
// pop-up menus to it.
#pragma once

#include <QPointer>
#include <string>

#include "desktop/child_view.h"
#include "reading/folder_window.h"

class QTableView;
class QPlainTextEdit;
class QSplitter;

namespace velmora::desktop {

class FolderRowsModel;

class FolderWindowView final : public ChildView {
  public:
    FolderWindowView(reading::TinboxForm& model, QWidget* parent);
    ~FolderWindowView() override;
    void refreshFromModel() override;
    reading::TinboxForm& model() { return model_; }
    QTableView* list() { return list_; }
    QPlainTextEdit* preview() { return preview_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void syncColumnWidths();
    void syncSelectionToModel();
    void syncSelectionFromModel();
    void showMenu(const platform::Menu& menu, const QPoint& at, QWidget* over);
    void run(const std::function<void()>& command);

    reading::TinboxForm& model_;
    FolderRowsModel* rows_ = nullptr;
    QTableView* list_ = nullptr;
    QPlainTextEdit* preview_ = nullptr;
    QSplitter* splitter_ = nullptr;
    std::string shownPreview_;
    int shownSelectionSerial_ = 0;
    int shownFocusRequests_ = 0;
    bool filling_ = false;
    bool listMovingCurrent_ = false;  // the list moves its current row itself
};

// Registers the view for folder windows ("InBox." keys) with the main window.
void registerFolderWindowView();

}  // namespace velmora::desktop
