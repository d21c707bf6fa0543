#include "desktop/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

#include "core/error_report.h"
#include "profiles/profile_menus.h"
#include "desktop/config_window.h"
#include "desktop/folder_window_view.h"
#include "store/folders.h"
#include "desktop/child_view.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

// Node pictures by kind: the desktop's folder pictures, a distinct one per default folder.
QIcon nodeIcon(store::NodeKind kind) {
    QStyle* style = QApplication::style();
    switch (kind) {
        case store::NodeKind::Root: return style->standardIcon(QStyle::SP_DriveHDIcon);
        case store::NodeKind::InBox: return style->standardIcon(QStyle::SP_ArrowDown);
        case store::NodeKind::OutBox: return style->standardIcon(QStyle::SP_ArrowUp);
        case store::NodeKind::Sent: return style->standardIcon(QStyle::SP_DialogApplyButton);
        case store::NodeKind::Trash: return style->standardIcon(QStyle::SP_TrashIcon);
        case store::NodeKind::Drafts: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
        case store::NodeKind::Other: break;
    }
    return style->standardIcon(QStyle::SP_DirIcon);
}

Qt::WindowStates toQtState(platform::WindowState state) {
    switch (state) {
        case platform::WindowState::Minimized: return Qt::WindowMinimized;
        case platform::WindowState::Maximized: return Qt::WindowMaximized;
        case platform::WindowState::Normal: break;
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
    buildMenus();
    buildToolbars();
    buildTree();
    buildStatusBar();
    model_.setView(this);
    model_.hooks().showConfiguration = [this](profiles::ConfigPage page, bool addFirst) {
        profiles::TconfigForm* form = model_.configForm();
        if (!form) return;
        if (!config_) config_ = std::make_unique<ConfigWindow>(*form, model_.profileLists(), this);
        config_->openModal(page, addFirst);
    };
}

MainWindow::~MainWindow() {
    model_.hooks().showConfiguration = nullptr;
    model_.setView(nullptr);
}

void MainWindow::run(const std::function<void()>& command) {
    core::runReported(model_.platform().dialogs, model_.applicationTitle(), command);
}

void MainWindow::showFrame() {
    const auto& g = model_.geometry();
    if (g.width > 0 && g.height > 0) setGeometry(g.left, g.top, g.width, g.height);
    frameChanged();
    show();
}

// ------------------------------------------------------------------------------------------

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    auto toggle = [&](const QString& text, auto setter) {
        QAction* a = view->addAction(text);
        a->setCheckable(true);
        connect(a, &QAction::toggled, this, [this, setter](bool on) {
            if (!filling_) run([&] { (model_.*setter)(on); });
        });
        return a;
    };
    viewToolbar_ = toggle(QStringLiteral("&Toolbar"), &core::TmainForm::setToolbarShown);
    viewProfileBar_ = toggle(QStringLiteral("&User Profile"), &core::TmainForm::setProfileToolbarShown);
    viewFolders_ = toggle(QStringLiteral("&Folders"), &core::TmainForm::setFolderTreeShown);
    viewFolders_->setShortcut(Qt::Key_F10);
    viewStatusBar_ = toggle(QStringLiteral("&Status Bar"), &core::TmainForm::setStatusBarShown);
    view->addSeparator();

    QMenu* defaults = view->addMenu(QStringLiteral("&Default Folders"));
    struct Entry {
        const char* caption;
        const char* folder;
    };
    for (const Entry& e : {Entry{"&InBox", "InBox"}, Entry{"&Drafts", "Drafts"},
                           Entry{"&OutBox", "OutBox"}, Entry{"&Sent", "Sent"},
                           Entry{"&Trash", "Trash"}}) {
        QAction* a = defaults->addAction(QString::fromLatin1(e.caption));
        a->setCheckable(true);
        const std::string folder = e.folder;
        connect(a, &QAction::triggered, this,
                [this, folder] { run([&] { model_.openDefaultFolder(folder); }); });
        connect(defaults, &QMenu::aboutToShow, a,
                [this, a, folder] { a->setChecked(model_.isFolderWindowOpen(folder)); });
    }
    defaults->addAction(QStringLiteral("&All"), this,
                        [this] { run([&] { model_.openAllDefaultFolders(); }); });

    QMenu* user = view->addMenu(QStringLiteral("&User Defined Folders"));
    connect(user, &QMenu::aboutToShow, this, [this, user] {
        user->clear();
        fillUserFoldersMenu(user, model_.tree().root());
        if (user->isEmpty()) user->addAction(QStringLiteral("(none)"))->setEnabled(false);
    });

    QMenu* mail = menuBar()->addMenu(QStringLiteral("&Mail"));
    QMenu* change = mail->addMenu(QStringLiteral("Change &User Profile"));
    connect(mail, &QMenu::aboutToShow, this, [this, change] {
        const profiles::ProfileMenus menus = profiles::buildProfileMenus(model_.profileLists());
        change->clear();
        change->setEnabled(menus.changeUserProfileEnabled);
        for (std::size_t i = 0; i < menus.changeUserProfile.size(); ++i) {
            QAction* a = change->addAction(toQt(menus.changeUserProfile[i].caption));
            a->setCheckable(true);
            a->setChecked(menus.changeUserProfile[i].checked);
            const int index = static_cast<int>(i);
            connect(a, &QAction::triggered, this, [this, index] {
                run([&] { model_.profileLists().selectActiveProfile(index); });
            });
        }
    });

    QMenu* configure = menuBar()->addMenu(QStringLiteral("&Configure"));
    std::map<QString, QMenu*> submenus;
    for (const auto& entry : profiles::kConfigureMenu) {
        // "&Settings/&Mail/&Retrieve (POP3)": the parts before the last name are submenus.
        const QStringList parts = QString::fromLatin1(entry.path).split('/');
        QMenu* parent = configure;
        QString path;
        for (int i = 0; i + 1 < parts.size(); ++i) {
            path += parts[i] + '/';
            auto found = submenus.find(path);
            parent = found != submenus.end() ? found->second
                                             : (submenus[path] = parent->addMenu(parts[i]));
        }
        QAction* a = parent->addAction(parts.last());
        if (*entry.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
        const profiles::ConfigPage page = entry.page;
        connect(a, &QAction::triggered, this,
                [this, page] { run([&] { model_.openConfiguration(page); }); });
    }

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->addAction(QStringLiteral("&Cascade"), mdi_, &QMdiArea::cascadeSubWindows);
    window->addAction(QStringLiteral("Tile &Vertically"), mdi_, &QMdiArea::tileSubWindows);
    window->addAction(QStringLiteral("Tile &Horizontally"), mdi_, &QMdiArea::tileSubWindows);
    window->addAction(QStringLiteral("Mi&nimize All"), this, [this] {
        for (QMdiSubWindow* w : mdi_->subWindowList()) w->showMinimized();
    });
    window->addAction(QStringLiteral("Cl&ose All"), this, [this] {
        for (QMdiSubWindow* w : mdi_->subWindowList()) w->close();
    });
}

void MainWindow::fillUserFoldersMenu(QMenu* menu, const store::TMailNode& node) {
    for (const auto& child : node.children) {
        if (!child->isUserNode() || !child->isMailFolder()) continue;
        const QString label = toQt(child->label);
        if (child->hasChildren()) {
            fillUserFoldersMenu(menu->addMenu(label), *child);
            continue;
        }
        const std::string logical = child->logicalPath();
        QAction* a = menu->addAction(label);
        a->setCheckable(true);
        a->setChecked(model_.isFolderWindowOpen(logical));
        connect(a, &QAction::triggered, this,
                [this, logical] { run([&] { model_.openFolderWindow(logical, true); }); });
    }
}

void MainWindow::buildToolbars() {
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setObjectName(QStringLiteral("mainToolbar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const auto& buttons = model_.toolButtons();
    const QStyle::StandardPixmap pictures[core::kToolButtonCount] = {
        QStyle::SP_ArrowBack,          QStyle::SP_ArrowForward,  QStyle::SP_DialogYesButton,
        QStyle::SP_TrashIcon,          QStyle::SP_FileIcon,      QStyle::SP_DialogOkButton,
        QStyle::SP_FileDialogListView, QStyle::SP_MessageBoxQuestion, QStyle::SP_ArrowRight,
        QStyle::SP_DialogSaveButton,   QStyle::SP_DialogOpenButton};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        toolActions_[i] = toolbar_->addAction(style()->standardIcon(pictures[i]),
                                              toQt(buttons[i].caption));
        toolActions_[i]->setToolTip(toQt(buttons[i].hint).section('|', 0, 0));
    }

    addToolBarBreak();
    profileBar_ = addToolBar(QStringLiteral("User Profile"));
    profileBar_->setObjectName(QStringLiteral("profileToolbar"));
    auto addSelector = [&](const char* label, const char* name, const char* hint) {
        profileBar_->addWidget(new QLabel(QString::fromLatin1(label), profileBar_));
        auto* box = new QComboBox(profileBar_);
        box->setObjectName(QString::fromLatin1(name));
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
    connect(usersBox_, &QComboBox::activated, this, [this](int index) {
        run([&] { model_.profileLists().selectActiveProfile(index); });
    });
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
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setContextMenuPolicy(Qt::ActionsContextMenu);
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
                    const auto kind = static_cast<store::NodeKind>(before->data(0, Qt::UserRole).toInt());
                    before->setIcon(0, nodeIcon(kind));
                }
                if (now && !filling_) model_.setTreeSelection(pathFromQt(now->data(0, kPathRole).toString()));
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

    auto action = [&](const char* text, std::function<void()> f) {
        QAction* a = new QAction(QString::fromLatin1(text), tree_);
        connect(a, &QAction::triggered, this, [this, f] { run(f); });
        tree_->addAction(a);
    };
    action("&Expand", [this] { if (auto* i = tree_->currentItem()) i->setExpanded(true); });
    action("&Collapse", [this] { if (auto* i = tree_->currentItem()) i->setExpanded(false); });
    action("Create &New Folder", [this] { model_.treeCreateFolder(selectedTreePath()); });
    action("Edit Folder &Name", [this] {
        if (auto* item = tree_->currentItem()) {
            if (!model_.treeCanRename(selectedTreePath())) return;
            renaming_ = true;
            item->setFlags(item->flags() | Qt::ItemIsEditable);
            tree_->editItem(item);
        }
    });
    action("&Delete Folder", [this] { model_.treeDelete(selectedTreePath()); });
    action("H&ide Folder Pane", [this] { model_.setFolderTreeShown(false); });
    fillTree();
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
    if (watched == tree_ && event->type() == QEvent::KeyPress && !renaming_) {
        auto* key = static_cast<QKeyEvent*>(event);
        QTreeWidgetItem* item = tree_->currentItem();
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (item) {
                    if (item->childCount() > 0) item->setExpanded(!item->isExpanded());
                    else run([&] { model_.treeOpen(selectedTreePath()); });
                }
                return true;
            case Qt::Key_Insert:
                run([&] { model_.treeCreateFolder(selectedTreePath()); });
                return true;
            case Qt::Key_F2:
                if (item && model_.treeCanRename(selectedTreePath())) {
                    renaming_ = true;
                    item->setFlags(item->flags() | Qt::ItemIsEditable);
                    tree_->editItem(item);
                }
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
    const auto& texts = model_.statusPanels();
    const int widths[6] = {0, 30, 30, 70, 55, 20};
    for (int i = 0; i < 6; ++i) {
        panels_[static_cast<std::size_t>(i)] = new QLabel(toQt(texts[static_cast<std::size_t>(i)]), this);
        panels_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("panel%1").arg(i));
        if (i == 0) {
            statusBar()->addWidget(panels_[0], 1);
        } else {
            panels_[static_cast<std::size_t>(i)]->setMinimumWidth(widths[i]);
            statusBar()->addPermanentWidget(panels_[static_cast<std::size_t>(i)]);
        }
    }
}

// ------------------------------------------------------------------------------------------
// Model notifications

void MainWindow::frameChanged() {
    filling_ = true;
    setWindowTitle(toQt(model_.caption()));
    const auto& texts = model_.statusPanels();
    for (std::size_t i = 0; i < 6; ++i) panels_[i]->setText(toQt(texts[i]));
    const auto& buttons = model_.toolButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        toolActions_[i]->setVisible(buttons[i].visible);
        toolActions_[i]->setEnabled(buttons[i].enabled);
    }
    const auto& vl = model_.settings().vl;
    viewToolbar_->setChecked(vl.toolbarShown);
    viewProfileBar_->setChecked(vl.profileToolbarShown);
    viewFolders_->setChecked(vl.folderTreeShown);
    viewStatusBar_->setChecked(vl.statusBarShown);
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
    filling_ = false;
}

void MainWindow::treeChanged() { fillTree(); }

void MainWindow::editFolderLabel(const store::TMailNode& node) {
    fillTree();
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if (pathFromQt((*it)->data(0, kPathRole).toString()) == node.path) {
            tree_->setCurrentItem(*it);
            renaming_ = true;
            (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable);
            tree_->editItem(*it);
            return;
        }
    }
}

void MainWindow::bringToFront() {
    showMinimized();
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::childOpened(platform::ChildWindow& window) {
    auto* frame = new QMdiSubWindow;
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    ChildView* view = createChildView(window, frame);
    frame->setWidget(view);
    frame->setWindowTitle(toQt(window.caption()));
    mdi_->addSubWindow(frame);
    new SubWindowTracker(frame, window, model_);
    subWindows_[&window] = frame;
    // The frame takes its recorded bounds once shown (showing applies the widget's size hint
    // and reports it back through the tracker, so the bounds are taken first).
    const platform::WindowBounds b = window.bounds();
    if (window.visible()) frame->show();
    if (b.width > 0 && b.height > 0) frame->setGeometry(b.left, b.top, b.width, b.height);
    if (window.visible() && window.state() != platform::WindowState::Normal)
        frame->setWindowState(toQtState(window.state()));
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
        if (auto* tracker = static_cast<SubWindowTracker*>(frame->findChild<QObject*>(
                QStringLiteral("childWindowTracker"), Qt::FindDirectChildrenOnly)))
            tracker->detach();
        mdi_->removeSubWindow(frame);
        frame->deleteLater();
    }
}

void MainWindow::childChanged(platform::ChildWindow& window) {
    auto it = subWindows_.find(&window);
    if (it == subWindows_.end() || !it->second) return;
    QMdiSubWindow* frame = it->second;
    frame->setWindowTitle(toQt(window.caption()));
    if (auto* view = dynamic_cast<ChildView*>(frame->widget())) view->refreshFromModel();
    if (window.visible() && !frame->isVisible()) frame->show();
    if (!window.visible() && frame->isVisible()) frame->hide();
    if (fromQtState(frame->windowState()) != window.state())
        frame->setWindowState(toQtState(window.state()));
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
