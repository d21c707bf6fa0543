#include "desktop/picture_viewer_view.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include "base/identity.h"
#include "core/error_report.h"
#include "desktop/menu_builder.h"
#include "desktop/named_widget.h"
#include "desktop/text_convert.h"
#include "platform/menu.h"

namespace velmora::desktop {

// --- the canvas ------------------------------------------------------------------------------

PictureCanvas::PictureCanvas(QWidget* parent) : QWidget(parent) {
    setContextMenuPolicy(Qt::CustomContextMenu);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureCanvas::setPicture(QImage image, QSize trueSize) {
    image_ = std::move(image);
    trueSize_ = trueSize;
    scaled_ = QPixmap();
    updateGeometry();
    if (!fitted_) resize(sizeHint());
    update();
}

void PictureCanvas::setFitted(bool fitted) {
    fitted_ = fitted;
    scaled_ = QPixmap();
    updateGeometry();
    update();
}

QSize PictureCanvas::sizeHint() const {
    return image_.isNull() ? QSize(1, 1) : image_.size();
}

QRect PictureCanvas::pictureRect() const {
    if (image_.isNull()) return {};
    QSize shown = fitted_ ? trueSize_ : image_.size();
    if (fitted_ && (shown.width() > width() || shown.height() > height()))
        shown = shown.scaled(size(), Qt::KeepAspectRatio);
    shown = shown.expandedTo(QSize(1, 1));
    return QRect(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

void PictureCanvas::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    const QRect target = pictureRect();
    if (target.size() == image_.size()) {
        painter.drawImage(target.topLeft(), image_);
        return;
    }
    if (scaled_.size() != target.size())
        scaled_ = QPixmap::fromImage(
            image_.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter.drawPixmap(target.topLeft(), scaled_);
}

// --- the window ------------------------------------------------------------------------------

PictureViewerView::PictureViewerView(tools::TpictureViewerForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TpictureViewerForm"));
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(splitter, 1);

    auto* browse = new QWidget(splitter);
    auto* browseLayout = new QVBoxLayout(browse);
    browseLayout->setContentsMargins(0, 0, 0, 0);
    places_ = named(new QComboBox(browse), "cboPlaces", QStringLiteral("Places"));
    places_->setToolTip(QStringLiteral("Where to browse: Attach, your home, the root, volumes"));
    folder_ = named(new QLabel(browse), "lblFolder", QStringLiteral("Current folder"));
    folder_->setWordWrap(true);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folders_ = named(new QListWidget(browse), "lstFolders", QStringLiteral("Folders"));
    folders_->setToolTip(QStringLiteral("Double-click a folder to open it"));
    pictures_ = named(new QListWidget(browse), "lstPictures", QStringLiteral("Pictures"));
    browseLayout->addWidget(places_);
    browseLayout->addWidget(folder_);
    browseLayout->addWidget(folders_, 1);
    browseLayout->addWidget(pictures_, 2);

    auto* show = new QWidget(splitter);
    auto* showLayout = new QVBoxLayout(show);
    showLayout->setContentsMargins(0, 0, 0, 0);
    toolbar_ = named(new QToolBar(show), "tbrPicture", QStringLiteral("Picture toolbar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const platform::MenuEntry& entry : model_.toolbar()) {
        QAction* action = toolbar_->addAction(themeIcon(entry.icon), plainCaption(entry.caption));
        action->setObjectName(QString::fromStdString(entry.name));
        action->setToolTip(QString::fromStdString(entry.hint));
        action->setCheckable(entry.checkable);
        if (!entry.shortcut.empty()) {
            action->setShortcut(QKeySequence(QString::fromStdString(entry.shortcut)));
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(action);  // the keys work wherever the focus is in the window
        }
        const std::string name = entry.name;
        connect(action, &QAction::triggered, this, [this, name] { runEntry(name); });
        actions_.push_back(action);
    }
    // The tool buttons of the bar carry their captions as accessible names.
    for (QAction* action : actions_)
        if (QWidget* button = toolbar_->widgetForAction(action)) {
            button->setObjectName(action->objectName() + QStringLiteral("Button"));
            button->setAccessibleName(action->text());
        }
    scroll_ = named(new QScrollArea(show), "scrPicture", QStringLiteral("Picture area"));
    scroll_->setAlignment(Qt::AlignCenter);
    canvas_ = named(new PictureCanvas(scroll_), "imgPicture", QStringLiteral("Picture"));
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(canvas_->fitted());  // fitted: the canvas fills the area
    scroll_->viewport()->installEventFilter(this);
    showLayout->addWidget(toolbar_);
    showLayout->addWidget(scroll_, 1);
    splitter->addWidget(browse);
    splitter->addWidget(show);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 540});

    status_ = named(new QLabel(this), "lblStatus", QStringLiteral("Status line"));
    error_ = named(new QLabel(this), "lblError", QStringLiteral("Error line"));
    error_->setStyleSheet(QStringLiteral("color: #b00020"));
    error_->setWordWrap(true);
    layout->addWidget(status_);
    layout->addWidget(error_);

    connect(places_, &QComboBox::activated, this,
            [this](int index) { run([&] { model_.choosePlace(index); }); });
    connect(folders_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = folders_->row(item);
        run([&] { model_.openFolderRow(row); });
    });
    connect(pictures_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_) run([&] { model_.selectPicture(row); });
    });
    connect(canvas_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu popup(this);
        popup.setObjectName(QStringLiteral("popJpeg"));
        popup.setAccessibleName(QStringLiteral("Picture menu"));
        fillMenu(&popup, model_.popupMenu(), [this](const std::function<void()>& c) { run(c); });
        popup.exec(canvas_->mapToGlobal(at));
    });
    setFocusProxy(pictures_);
    refreshFromModel();
}

void PictureViewerView::run(const std::function<void()>& command) {
    core::runReported(model_.platform().dialogs, kProductName, command);
    refreshFromModel();
}

void PictureViewerView::runEntry(const std::string& name) {
    // The table of now, so the command acts on the model's present state.
    const platform::Menu entries = model_.toolbar();
    if (const platform::MenuEntry* entry = platform::findMenuEntry(entries, name);
        entry && entry->enabled && entry->command)
        run(entry->command);
    else
        refreshFromModel();
}

bool PictureViewerView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize) {
        const QSize area = static_cast<QResizeEvent*>(event)->size();
        run([&] { model_.setPictureArea(area.width(), area.height()); });
    }
    return ChildView::eventFilter(watched, event);
}

void PictureViewerView::fillLists() {
    std::vector<std::string> places;
    for (const tools::PicturePlace& place : model_.places()) places.push_back(place.label);
    if (places != shownPlaces_) {
        places_->clear();
        for (const tools::PicturePlace& place : model_.places()) {
            places_->addItem(toQt(place.label));
            places_->setItemData(places_->count() - 1, toQt(place.path), Qt::ToolTipRole);
        }
        shownPlaces_ = std::move(places);
    }
    places_->setCurrentIndex(model_.placeIndex());
    folder_->setText(toQt(model_.folder()));

    std::vector<std::string> folders;
    for (const tools::FolderRow& row : model_.folderRows()) folders.push_back(row.label);
    if (folders != shownFolders_) {
        folders_->clear();
        for (const std::string& label : folders) folders_->addItem(toQt(label));
        shownFolders_ = std::move(folders);
    }
    std::vector<std::string> pictures;
    for (const tools::PictureFile& file : model_.pictureRows()) pictures.push_back(file.name);
    if (pictures != shownPictures_) {
        pictures_->clear();
        for (const std::string& name : pictures) pictures_->addItem(toQt(name));
        shownPictures_ = std::move(pictures);
    }
    pictures_->setCurrentRow(model_.selectedPicture());
}

void PictureViewerView::showPicture() {
    const bool fitted = model_.fitToWindow();
    if (fitted != canvas_->fitted()) {
        scroll_->setWidgetResizable(fitted);
        canvas_->setFitted(fitted);
    }
    if (model_.pictureVersion() != shownVersion_) {
        shownVersion_ = model_.pictureVersion();
        const tools::JpegPicture* picture = model_.picture();
        if (!picture) {
            canvas_->setPicture(QImage(), QSize());
        } else {
            // A view of the model's pixels, copied so the image owns them.
            const QImage view(picture->rgb.data(), picture->width, picture->height,
                              picture->width * 3, QImage::Format_RGB888);
            canvas_->setPicture(view.copy(), QSize(picture->trueWidth, picture->trueHeight));
        }
    }
    if (!fitted) canvas_->resize(canvas_->sizeHint());
}

void PictureViewerView::refreshFromModel() {
    if (filling_) return;
    filling_ = true;
    fillLists();
    const platform::Menu entries = model_.toolbar();
    for (QAction* action : actions_)
        if (const platform::MenuEntry* entry =
                platform::findMenuEntry(entries, action->objectName().toStdString())) {
            action->setEnabled(entry->enabled);
            action->setChecked(entry->checked);
        }
    showPicture();
    status_->setText(toQt(model_.statusLine()));
    error_->setText(toQt(model_.errorLine()));
    error_->setVisible(!model_.errorLine().empty());
    filling_ = false;
}

void registerPictureViewerView() {
    registerChildView(tools::kPictureViewerKind,
                      [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
                          auto* viewer = dynamic_cast<tools::TpictureViewerForm*>(&window);
                          return viewer ? new PictureViewerView(*viewer, parent) : nullptr;
                      });
}

}  // namespace velmora::desktop
