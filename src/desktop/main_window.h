// The main window's widget: renders the TmainForm model (folder tree, child-window area, toolbar,
// profile toolbar, status bar panels, menus) and forwards the user's actions to it.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>

#include "core/main_form.h"
#include "desktop/menu_builder.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTreeWidget;
class QTreeWidgetItem;
class QToolBar;
class QComboBox;
class QMenu;
class QAction;

namespace velmora::desktop {

class KeyIndicators;

class ConfigWindow;
class QtTrayIcon;

class MainWindow final : public QMainWindow, public core::MainFormView {
  public:
    explicit MainWindow(core::TmainForm& model, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Applies the model's geometry and shows the frame.
    void showFrame();
    // The tray icon the program minimizes to when "Minimize Velmora to system tray" is on.
    void setTrayIcon(QtTrayIcon* tray) { tray_ = tray; }

    // core::MainFormView
    void childOpened(platform::ChildWindow& window) override;
    void childClosing(platform::ChildWindow& window) override;
    void childChanged(platform::ChildWindow& window) override;
    void childActivated(platform::ChildWindow& window) override;
    void frameChanged() override;
    void treeChanged() override;
    void editFolderLabel(const store::TMailNode& node) override;
    void bringToFront() override;
    bool showConfiguration(profiles::ConfigPage page, bool addFirstProfile) override;
    void arrangeChildren(core::Arrangement how) override;
    std::optional<core::FocusedText> focusedText() const override;
    void editFocusedText(core::TextEdit edit) override;
    void closeFrame() override;
    bool frameMinimized() const override { return isMinimized(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenus();
    // Lays out the menu bar's menus again from the model, except a menu that is open.
    void refreshMenus();
    void buildToolbars();
    void buildTree();
    void buildStatusBar();
    void fillTree();
    void startRenaming(QTreeWidgetItem* item);
    void run(const std::function<void()>& command);
    CommandRunner runner();
    std::filesystem::path selectedTreePath() const;
    void syncGeometry();
    // The focused widget when it lies in the child window in front; nullptr otherwise.
    QWidget* focusInFrontChild() const;
    // Tile Vertically (side by side) and Tile Horizontally (one above the other).
    void tile(bool sideBySide);
    // A child window without bounds of its own: cascaded from `previous`.
    void placeCascaded(QMdiSubWindow& frame, const QMdiSubWindow* previous,
                       const platform::WindowBounds& bounds);

    core::TmainForm& model_;
    QMdiArea* mdi_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QDockWidget* treeDock_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QToolBar* profileBar_ = nullptr;
    QComboBox* usersBox_ = nullptr;
    QComboBox* connectionBox_ = nullptr;
    QComboBox* newMailBox_ = nullptr;
    std::array<QLabel*, core::kStatusPanelCount> panels_{};
    std::vector<QMenu*> menus_;  // the menu bar's, in the order of the model's table
    std::map<std::string, QAction*> toolActions_;
    bool menusRefreshPending_ = false;
    // Kept from the clipboard's change signal: asking the clipboard each time the menus are laid
    // out would wait for its owner.
    bool clipboardHasText_ = false;
    std::map<platform::ChildWindow*, QPointer<QMdiSubWindow>> subWindows_;
    std::unique_ptr<ConfigWindow> config_;
    bool renaming_ = false;
    bool filling_ = false;
    bool closing_ = false;
    QtTrayIcon* tray_ = nullptr;
    KeyIndicators* keys_ = nullptr;
    bool inTray_ = false;
    bool restoring_ = false;  // bringToFront's own minimize does not go to the tray
};

}  // namespace velmora::desktop
