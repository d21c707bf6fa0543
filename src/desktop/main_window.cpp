#include "desktop/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include "core/error_report.h"
#include "desktop/child_view.h"
#include "desktop/config_window.h"
#include "desktop/focused_text.h"
#include "desktop/folder_window_view.h"
#include "desktop/key_indicators.h"
#include "desktop/menu_builder.h"
#include "desktop/retrieval/new_mail_signals.h"
#include "desktop/retrieval/retrieval_views.h"
#include "desktop/text_convert.h"
#include "profiles/profile_menus.h"
#include "store/folders.h"

namespace velmora::desktop {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

// Node pictures by kind: the desktop's folder pictures, a distinct one per default folder.
QIcon nodeIcon(store::NodeKind kind) {
    QStyle* style = QApplication::style();
    switch (kind) {
        case store::NodeKind::Root:
            return style->standardIcon(QStyle::SP_DriveHDIcon);
        case store::NodeKind::InBox:
            return style->standardIcon(QStyle::SP_ArrowDown);
        case store::NodeKind::OutBox:
            return style->standardIcon(QStyle::SP_ArrowUp);
        case store::NodeKind::Sent:
            return style->standardIcon(QStyle::SP_DialogApplyButton);
        case store::NodeKind::Trash:
            return style->standardIcon(QStyle::SP_TrashIcon);
        case store::NodeKind::Drafts:
            return style->standardIcon(QStyle::SP_FileDialogDetailedView);
        case store::NodeKind::Other:
            break;
    }
    return style->standardIcon(QStyle::SP_DirIcon);
}

Qt::WindowStates toQtState(platform::WindowState state) {
    switch (state) {
        case platform::WindowState::Minimized:
            return Qt::WindowMinimized;
        case platform::WindowState::Maximized:
            return Qt::WindowMaximized;
        case platform::WindowState::Normal:
            break;
    }
    return Qt::WindowNoState;
}

platform::WindowState fromQtState(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized) return platform::WindowState::Minimized;
    if (state & Qt::WindowMaximized) return platform::WindowState::Maximized;
    return platform::WindowState::Normal;
}

// Keeps the model's state and bounds of a child window in step with its frame.
class SubWindowTracker final : public QObject {
  public:
    SubWindowTracker(QMdiSubWindow* frame, platform::ChildWindow& window, core::TmainForm& model)
        : QObject(frame), frame_(frame), window_(&window), model_(model) {
        setObjectName(QStringLiteral("childWindowTracker"));
        frame->installEventFilter(this);
        connect(frame, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates, Qt::WindowStates now) {
                    if (window_) window_->setState(fromQtState(now));
                });
    }
    // The model window is going: the frame may outlive it until it is deleted.
    void detach() { window_ = nullptr; }

    bool eventFilter(QObject*, QEvent* event) override {
        if (!window_) return false;
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
                if (!(frame_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
                    const QRect g = frame_->geometry();
                    window_->setBounds({g.x(), g.y(), g.width(), g.height()});
                }
                break;
            case QEvent::Close:
                // The model decides; it closes the frame itself through childClosing.
                event->ignore();
                core::runReported(model_.platform().dialogs, model_.applicationTitle(),
                                  [this] { model_.closeChild(*window_); });
                return true;
            case QEvent::FocusIn:
            case QEvent::WindowActivate:
                break;
            default:
                break;
        }
        return false;
    }

  private:
    QMdiSubWindow* frame_;
    platform::ChildWindow* window_;
    core::TmainForm& model_;
};

}  // namespace

MainWindow::MainWindow(core::TmainForm& model, QWidget* parent)
    : QMainWindow(parent), model_(model) {
    setObjectName(QStringLiteral("TmainForm"));
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* frame) {
        if (!frame || filling_) return;
        for (auto& [window, sub] : subWindows_) {
            if (sub == frame) {
                platform::ChildWindow* target = window;
                run([this, target] { model_.activateChild(*target); });
                return;
            }
        }
    });
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        auto follow = [this, clipboard] {
            const QMimeData* data = clipboard->mimeData();
            clipboardHasText_ = data && data->hasText();
        };
        follow();
        connect(clipboard, &QClipboard::dataChanged, this, follow);
    }
    keys_ = new KeyIndicators(model_, this);
    buildMenus();
    buildToolbars();
    buildTree();
    buildStatusBar();
    createProgressBox(model_, this);
    model_.setView(this);
}

MainWindow::~MainWindow() {
    model_.setView(nullptr);
}

void MainWindow::run(const std::function<void()>& command) {
    core::runReported(model_.platform().dialogs, model_.applicationTitle(), command);
}

CommandRunner MainWindow::runner() {
    return [this](const std::function<void()>& command) { run(command); };
}

bool MainWindow::showConfiguration(profiles::ConfigPage page, bool addFirstProfile) {
    profiles::TconfigForm* form = model_.configForm();
    if (!form) return false;
    if (!config_)
        config_ = std::make_unique<ConfigWindow>(*form, model_.profileLists(), this,
                                                 &model_.addressBooks());
    config_->openModal(page, addFirstProfile);
    return true;
}

void MainWindow::arrangeChildren(core::Arrangement how) {
    switch (how) {
        case core::Arrangement::Cascade:
            mdi_->cascadeSubWindows();
            break;
        case core::Arrangement::TileVertically:
            tile(true);
            break;
        case core::Arrangement::TileHorizontally:
            tile(false);
            break;
        case core::Arrangement::ArrangeIcons:
            for (QMdiSubWindow* w : mdi_->subWindowList())
                if (w->isMinimized()) w->showMinimized();
            break;
        case core::Arrangement::Fill:
        case core::Arrangement::FillAll: {
            QList<QMdiSubWindow*> windows;
            if (how == core::Arrangement::FillAll) {
                windows = mdi_->subWindowList();
            } else if (QMdiSubWindow* front = mdi_->activeSubWindow()) {
                windows = {front};
            }
            // Twice: the first pass may bring up scroll bars that take from the area.
            for (int pass = 0; pass < 2; ++pass)
                for (QMdiSubWindow* w : windows) {
                    if (w->isHidden()) continue;
                    w->showNormal();
                    w->setGeometry(mdi_->viewport()->rect());
                }
            break;
        }
    }
    keys_->refresh();
}

void MainWindow::tile(bool sideBySide) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (!w->isHidden() && !w->isMinimized()) windows.push_back(w);
    if (windows.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* w = windows[i];
        if (w->isMaximized()) w->showNormal();
        if (sideBySide) {
            const int left = area.width() * i / count;
            w->setGeometry(left, 0, area.width() * (i + 1) / count - left, area.height());
        } else {
            const int top = area.height() * i / count;
            w->setGeometry(0, top, area.width(), area.height() * (i + 1) / count - top);
        }
    }
}

QWidget* MainWindow::focusInFrontChild() const {
    QWidget* focus = QApplication::focusWidget();
    QMdiSubWindow* front = mdi_->activeSubWindow();
    return focus && front && front->isAncestorOf(focus) ? focus : nullptr;
}

std::optional<core::FocusedText> MainWindow::focusedText() const {
    return focusedTextOf(focusInFrontChild(), clipboardHasText_);
}

void MainWindow::editFocusedText(core::TextEdit edit) {
    if (QWidget* focus = focusInFrontChild()) editText(focus, edit);
}

void MainWindow::closeFrame() {
    QTimer::singleShot(0, this, [this] { close(); });
}

void MainWindow::showFrame() {
    const auto& g = model_.geometry();
    if (g.width > 0 && g.height > 0) setGeometry(g.left, g.top, g.width, g.height);
    frameChanged();
    show();
}

// ------------------------------------------------------------------------------------------

void MainWindow::buildMenus() {
    for (const platform::MenuEntry& top : model_.menuBar()) {
        QMenu* menu = menuBar()->addMenu(toQt(top.caption));
        menu->setObjectName(QString::fromStdString(top.name));
        menu->setAccessibleName(plainCaption(top.caption));
        const std::string name = top.name;
        // Captions and states follow the moment the menu opens.
        connect(menu, &QMenu::aboutToShow, this, [this, menu, name] {
            for (const platform::MenuEntry& fresh : model_.menuBar())
                if (fresh.name == name) fillMenu(menu, fresh.entries, runner());
        });
        fillMenu(menu, top.entries, runner());
        menus_.push_back(menu);
    }
}

void MainWindow::refreshMenus() {
    menusRefreshPending_ = false;
    const platform::Menu bar = model_.menuBar();
    for (std::size_t i = 0; i < menus_.size() && i < bar.size(); ++i)
        if (!menus_[i]->isVisible()) fillMenu(menus_[i], bar[i].entries, runner());
}

void MainWindow::buildToolbars() {
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setObjectName(QStringLiteral("mainToolbar"));
    toolbar_->setAccessibleName(QStringLiteral("Toolbar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const platform::MenuEntry& button : model_.toolbar()) {
        QAction* action = toolbar_->addAction(themeIcon(button.icon), toQt(button.caption));
        action->setObjectName(QString::fromStdString(button.name));
        action->setToolTip(toQt(button.hint).section('|', 0, 0));
        if (QWidget* widget = toolbar_->widgetForAction(action)) {
            widget->setObjectName(QString::fromStdString(button.name));
            widget->setAccessibleName(toQt(button.caption));
            widget->setAccessibleDescription(action->toolTip());
        }
        const std::string name = button.name;
        // A right-click on Messages moves its mode on.
        if (name == "cmdTBMessages")
            if (QWidget* widget = toolbar_->widgetForAction(action)) {
                widget->setContextMenuPolicy(Qt::CustomContextMenu);
                connect(widget, &QWidget::customContextMenuRequested, this, [this] {
                    run([this] { model_.commands().run("retrieve.messagesMode"); });
                });
            }
        // The command of the moment: a module may register it after the toolbar was built.
        connect(action, &QAction::triggered, this, [this, name] {
            for (const platform::MenuEntry& fresh : model_.toolbar())
                if (fresh.name == name && fresh.command) run(fresh.command);
        });
        toolActions_[name] = action;
    }

    addToolBarBreak();
    profileBar_ = addToolBar(QStringLiteral("User Profile"));
    profileBar_->setObjectName(QStringLiteral("profileToolbar"));
    profileBar_->setAccessibleName(QStringLiteral("User Profile toolbar"));
    auto addSelector = [&](const char* label, const char* name, const char* hint) {
        profileBar_->addWidget(new QLabel(QString::fromLatin1(label), profileBar_));
        auto* box = new QComboBox(profileBar_);
        box->setObjectName(QString::fromLatin1(name));
        box->setAccessibleName(QString::fromLatin1(label).trimmed());
        box->setToolTip(QString::fromLatin1(hint).section('|', 0, 0));
        box->setMinimumWidth(150);
        profileBar_->addWidget(box);
        return box;
    };
    usersBox_ = addSelector("User ", "cboTBUsersListBox",
                            "User Profile to be used for all email operations|");
    connectionBox_ = addSelector("    Internet ", "cboTBInternetConnection",
                                 "User Profile used for session internet connection|");
    newMailBox_ = addSelector("    New Mail ", "cboTBNewMail",
                              "Folders who received new mail via Rules & Filters using Retrieve "
                              "All Messages|");
    connect(usersBox_, &QComboBox::activated, this,
            [this](int index) { run([&] { model_.selectActiveProfile(index); }); });
    connect(newMailBox_, &QComboBox::activated, this,
            [this](int index) { run([&] { chooseNewMail(model_, index); }); });
    connect(connectionBox_, &QComboBox::activated, this, [this](int index) {
        run([&] { model_.profileLists().selectConnectionProfile(index); });
    });
}

void MainWindow::buildTree() {
    treeDock_ = new QDockWidget(QStringLiteral("Folders"), this);
    treeDock_->setObjectName(QStringLiteral("folderDock"));
    treeDock_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    treeDock_->setTitleBarWidget(new QWidget(treeDock_));
    tree_ = new QTreeWidget(treeDock_);
    tree_->setObjectName(QStringLiteral("TMailTree"));
    tree_->setAccessibleName(QStringLiteral("Mail folders"));
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->installEventFilter(this);
    tree_->setAcceptDrops(true);
    tree_->viewport()->installEventFilter(this);
    treeDock_->setWidget(tree_);
    addDockWidget(Qt::LeftDockWidgetArea, treeDock_);

    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        const auto path = pathFromQt(item->data(0, kPathRole).toString());
        run([&] {
            model_.setTreeSelection(path);
            model_.treeOpen(path);
        });
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* now, QTreeWidgetItem* before) {
                if (before) {
                    const auto kind =
                        static_cast<store::NodeKind>(before->data(0, Qt::UserRole).toInt());
                    before->setIcon(0, nodeIcon(kind));
                }
                if (now && !filling_)
                    model_.setTreeSelection(pathFromQt(now->data(0, kPathRole).toString()));
            });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        if (!renaming_) return;
        renaming_ = false;
        const auto path = pathFromQt(item->data(0, kPathRole).toString());
        const std::string name = fromQt(item->text(0));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        bool renamed = false;
        run([&] { renamed = model_.treeRename(path, name); });
        if (!renamed) fillTree();
    });

    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(tree_);
        menu.setObjectName(QStringLiteral("popTree"));
        const ViewCommands own = {
            {"mnuTree_Expand",
             [this] {
                 if (auto* i = tree_->currentItem()) i->setExpanded(true);
             }},
            {"mnuTree_Collapse",
             [this] {
                 if (auto* i = tree_->currentItem()) i->setExpanded(false);
             }},
            {"mnuTree_EditName", [this] { startRenaming(tree_->currentItem()); }},
        };
        fillMenu(&menu, model_.treeMenu(), runner(), own);
        menu.exec(tree_->viewport()->mapToGlobal(at));
    });
    fillTree();
}

void MainWindow::startRenaming(QTreeWidgetItem* item) {
    if (!item || !model_.treeCanRename(selectedTreePath())) return;
    // Changing the flags reports the item as changed: only an edit that follows is a rename.
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    renaming_ = true;
    tree_->editItem(item);
}

std::filesystem::path MainWindow::selectedTreePath() const {
    QTreeWidgetItem* item = tree_->currentItem();
    return item ? pathFromQt(item->data(0, kPathRole).toString()) : model_.home();
}

namespace {

// The folder window whose list a drag came from, or nullptr.
FolderWindowView* dragSource(QDropEvent* event) {
    for (QObject* o = event->source(); o; o = o->parent())
        if (auto* view = dynamic_cast<FolderWindowView*>(o)) return view;
    return nullptr;
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        FolderWindowView* source = dragSource(drop);
        QTreeWidgetItem* item = tree_->itemAt(drop->position().toPoint());
        const auto path = item ? pathFromQt(item->data(0, kPathRole).toString()) : model_.home();
        const bool allowed = source && (event->type() == QEvent::DragEnter ||
                                        model_.treeCanDrop(path, source->model()));
        if (!allowed) {
            drop->ignore();
            return true;
        }
        // Reported as a copy so that the list widget removes nothing itself: the model moves
        // the rows and the list is drawn again from it.
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop) {
            reading::TinboxForm& rows = source->model();
            run([&] { model_.treeDrop(path, rows); });
        }
        return true;
    }
    // F2 renames in the tree: there it is no shortcut of "&Headers".
    if (watched == tree_ && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        event->accept();
        return true;
    }
    if (watched == tree_ && event->type() == QEvent::KeyPress && !renaming_) {
        auto* key = static_cast<QKeyEvent*>(event);
        QTreeWidgetItem* item = tree_->currentItem();
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (item) {
                    if (item->childCount() > 0)
                        item->setExpanded(!item->isExpanded());
                    else
                        run([&] { model_.treeOpen(selectedTreePath()); });
                }
                return true;
            case Qt::Key_Insert:
                run([&] { model_.treeCreateFolder(selectedTreePath()); });
                return true;
            case Qt::Key_F2:
                startRenaming(item);
                return true;
            case Qt::Key_Delete:
                run([&] { model_.treeDelete(selectedTreePath()); });
                return true;
            default:
                break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::fillTree() {
    filling_ = true;
    const auto selected = model_.treeSelection();
    std::map<std::string, bool> expanded;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        expanded[fromQt((*it)->data(0, kPathRole).toString())] = (*it)->isExpanded();
    tree_->clear();
    QTreeWidgetItem* current = nullptr;
    std::function<void(const store::TMailNode&, QTreeWidgetItem*)> add =
        [&](const store::TMailNode& node, QTreeWidgetItem* parent) {
            auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
            item->setText(0, toQt(node.label));
            item->setIcon(0, nodeIcon(node.kind));
            item->setData(0, Qt::UserRole, static_cast<int>(node.kind));
            item->setData(0, kPathRole, toQt(node.path));
            if (node.path == selected) current = item;
            for (const auto& child : node.children) add(*child, item);
            const auto key = node.path.string();
            item->setExpanded(expanded.count(key) ? expanded[key] : node.isRoot());
        };
    add(model_.tree().root(), nullptr);
    if (current) {
        tree_->setCurrentItem(current);
        for (QTreeWidgetItem* p = current->parent(); p; p = p->parent()) p->setExpanded(true);
    }
    filling_ = false;
}

void MainWindow::buildStatusBar() {
    struct PanelLayout {
        core::StatusPanel panel;
        const char* name;
        int width;  // 0: the stretching first panel
    };
    const PanelLayout layouts[core::kStatusPanelCount] = {
        {core::StatusPanel::Messages, "StatusMessages", 0},
        {core::StatusPanel::Insert, "Insert", 30},
        {core::StatusPanel::Caps, "Caps", 30},
        {core::StatusPanel::Date, "Date", 70},
        {core::StatusPanel::Time, "Time", 55},
        {core::StatusPanel::Spare, "Spare", 20}};
    for (const PanelLayout& layout : layouts) {
        auto* label = new QLabel(toQt(model_.statusPanel(layout.panel)), this);
        label->setObjectName(QStringLiteral("panel%1").arg(QString::fromLatin1(layout.name)));
        label->setAccessibleName(
            QStringLiteral("Status bar: %1").arg(QString::fromLatin1(layout.name)));
        label->setTextFormat(Qt::PlainText);
        panels_[static_cast<std::size_t>(layout.panel)] = label;
        if (layout.width == 0) {
            statusBar()->addWidget(label, 1);
        } else {
            label->setMinimumWidth(layout.width);
            statusBar()->addPermanentWidget(label);
        }
    }
}

// ------------------------------------------------------------------------------------------
// Model notifications

void MainWindow::frameChanged() {
    filling_ = true;
    setWindowTitle(toQt(model_.caption()));
    for (std::size_t i = 0; i < panels_.size(); ++i)
        panels_[i]->setText(toQt(model_.statusPanel(static_cast<core::StatusPanel>(i))));
    for (const platform::MenuEntry& button : model_.toolbar()) {
        auto it = toolActions_.find(button.name);
        if (it == toolActions_.end()) continue;
        it->second->setVisible(button.visible);
        it->second->setEnabled(button.enabled);
        it->second->setToolTip(toQt(button.hint).section('|', 0, 0));
        if (QWidget* widget = toolbar_->widgetForAction(it->second))
            widget->setAccessibleDescription(it->second->toolTip());
    }
    if (!menusRefreshPending_) {
        menusRefreshPending_ = true;
        QTimer::singleShot(0, this, [this] { refreshMenus(); });
    }
    const auto& vl = model_.settings().vl;
    toolbar_->setVisible(vl.toolbarShown);
    profileBar_->setVisible(vl.profileToolbarShown);
    treeDock_->setVisible(vl.folderTreeShown);
    statusBar()->setVisible(vl.statusBarShown);
    resizeDocks({treeDock_}, {model_.folderTreeWidth()}, Qt::Horizontal);

    auto& lists = model_.profileLists();
    auto fill = [](QComboBox* box, const std::vector<std::string>& items, int selected) {
        QStringList texts;
        for (const auto& t : items) texts << toQt(t);
        QStringList current;
        for (int i = 0; i < box->count(); ++i) current << box->itemText(i);
        if (current != texts) {
            box->clear();
            box->addItems(texts);
        }
        box->setCurrentIndex(selected);
    };
    fill(usersBox_, lists.usersListBox(), lists.activeIndex());
    fill(connectionBox_, lists.connectionListBox(), lists.connectionIndex());
    if (const QStringList mail = newMailTexts(model_); mail != [&] {
            QStringList shown;
            for (int i = 0; i < newMailBox_->count(); ++i) shown << newMailBox_->itemText(i);
            return shown;
        }()) {
        newMailBox_->clear();
        newMailBox_->addItems(mail);
    }
    newMailBox_->setCurrentIndex(newMailSelection(model_));
    filling_ = false;
}

void MainWindow::treeChanged() {
    fillTree();
}

void MainWindow::editFolderLabel(const store::TMailNode& node) {
    fillTree();
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if (pathFromQt((*it)->data(0, kPathRole).toString()) == node.path) {
            tree_->setCurrentItem(*it);
            (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable);
            renaming_ = true;
            tree_->editItem(*it);
            return;
        }
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) keys_->refresh();
    if (event->type() != QEvent::WindowStateChange || restoring_) return;
    if (isMinimized() && tray_ && tray_->available() && model_.settings().other.minimizeToTray) {
        // Off the taskbar, into the tray; a click on the icon brings the window back.
        inTray_ = true;
        if (!tray_->visible())
            tray_->show(platform::TrayPicture::Plain, "Velmora Pro - Single Click To Restore");
        QTimer::singleShot(0, this, [this] { hide(); });
    } else if (!isMinimized() && inTray_) {
        inTray_ = false;
        if (tray_) tray_->hide();
    }
}

void MainWindow::bringToFront() {
    restoring_ = true;
    if (inTray_) {
        inTray_ = false;
        if (tray_) tray_->hide();
    }
    showMinimized();
    showNormal();
    raise();
    activateWindow();
    restoring_ = false;
}

void MainWindow::childOpened(platform::ChildWindow& window) {
    QMdiSubWindow* previous = mdi_->currentSubWindow();
    auto* frame = new QMdiSubWindow;
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    ChildView* view = createChildView(window, frame);
    frame->setWidget(view);
    if (view->staysOnTop()) frame->setWindowFlags(frame->windowFlags() | Qt::WindowStaysOnTopHint);
    frame->setWindowTitle(toQtGuessed(window.caption()));
    mdi_->addSubWindow(frame);
    new SubWindowTracker(frame, window, model_);
    subWindows_[&window] = frame;
    // Bounds and state are taken before the frame is shown: showing reports the frame's size and
    // normal state back through the tracker. The bounds are set before showing, so that neither
    // the area's own placement nor a maximized neighbour (which makes the area maximize the new
    // window at once) can leave the frame at other bounds.
    const platform::WindowBounds b = window.bounds();
    const bool placed = window.boundsSet();
    const platform::WindowState state = window.state();
    if (!placed)
        placeCascaded(*frame, previous, b);
    else if (b.width > 0 && b.height > 0)
        setFrameBounds(*frame, b);
    if (window.visible()) frame->show();
    if (window.visible() && state != platform::WindowState::Normal)
        frame->setWindowState(toQtState(state));
}

void MainWindow::placeCascaded(QMdiSubWindow& frame, const QMdiSubWindow* previous,
                               const platform::WindowBounds& bounds) {
    // A new window opens a step below and right of the current one, as windows cascade, rather
    // than over it where it would hide it whole; at the top left when that step would leave
    // the area.
    const QSize area = mdi_->viewport()->size();
    const QSize size =
        QSize(bounds.width, bounds.height).expandedTo(frame.minimumSizeHint()).boundedTo(area);
    constexpr int kCascadeStep = 24;
    QPoint at = previous && previous != &frame && previous->isVisible() && !previous->isMaximized()
                    ? previous->pos() + QPoint(kCascadeStep, kCascadeStep)
                    : QPoint(0, 0);
    if (at.x() + size.width() > area.width() || at.y() + size.height() > area.height())
        at = QPoint(0, 0);
    frame.setGeometry(QRect(at, size));
}

void MainWindow::childClosing(platform::ChildWindow& window) {
    auto it = subWindows_.find(&window);
    if (it == subWindows_.end()) return;
    QPointer<QMdiSubWindow> frame = it->second;
    subWindows_.erase(it);
    if (frame) {
        // Hidden while its model window still exists, then cut off from it: the frame is
        // deleted later, possibly only with the main window.
        frame->hide();
        // The view outlives its model until the frame is deleted: nothing it holds may call
        // into the model any more (a header resized while the frame goes, a selection change).
        if (QWidget* view = frame->widget()) {
            view->blockSignals(true);
            for (QObject* part : view->findChildren<QObject*>()) part->blockSignals(true);
        }
        if (auto* tracker = static_cast<SubWindowTracker*>(frame->findChild<QObject*>(
                QStringLiteral("childWindowTracker"), Qt::FindDirectChildrenOnly)))
            tracker->detach();
        mdi_->removeSubWindow(frame);
        // Taken out of the area it has no parent: kept as a hidden child until it is deleted, so
        // it goes with the main window at the latest, never outliving it with a dangling view.
        frame->setParent(this);
        frame->hide();
        frame->deleteLater();
    }
}

void MainWindow::childChanged(platform::ChildWindow& window) {
    auto it = subWindows_.find(&window);
    if (it == subWindows_.end() || !it->second) return;
    QMdiSubWindow* frame = it->second;
    frame->setWindowTitle(toQtGuessed(window.caption()));
    if (auto* view = dynamic_cast<ChildView*>(frame->widget())) view->refreshFromModel();
    if (window.visible() && !frame->isVisible()) frame->show();
    if (!window.visible() && frame->isVisible()) frame->hide();
    if (fromQtState(frame->windowState()) != window.state())
        frame->setWindowState(toQtState(window.state()));
    // Bounds the model set itself (a window of the last session) reach the frame; the frame's
    // own moves come back through the tracker, so the two agree otherwise.
    const platform::WindowBounds b = window.bounds();
    if (window.state() == platform::WindowState::Normal && b.width > 0 && b.height > 0 &&
        frame->geometry() != QRect(b.left, b.top, b.width, b.height))
        setFrameBounds(*frame, b);
}

void MainWindow::childActivated(platform::ChildWindow& window) {
    auto it = subWindows_.find(&window);
    if (it == subWindows_.end() || !it->second) return;
    filling_ = true;
    if (!it->second->isVisible()) it->second->show();
    mdi_->setActiveSubWindow(it->second);
    filling_ = false;
}

// ------------------------------------------------------------------------------------------

void MainWindow::syncGeometry() {
    if (isMinimized() || isMaximized() || model_.shuttingDown()) return;
    const QRect g = geometry();
    model_.setGeometry({g.x(), g.y(), g.width(), g.height()});
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    syncGeometry();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    syncGeometry();
    panels_[0]->setMinimumWidth(width() * 45 / 100);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    run([this] {
        model_.FormCloseQuery();
        model_.FormClose();
    });
    event->accept();
}

}  // namespace velmora::desktop
