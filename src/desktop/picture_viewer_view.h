// The picture viewer's widget ("JPEG Viewer"): the places list, the current folder, its folder
// and picture lists, the toolbar (previous, next, fit to window) and the picture, shrunk
// smoothly to the area while fitted, else at actual size in a scroll area; a status line and an
// error line below. It renders TpictureViewerForm (the model's RGB pixels become a QImage) and
// forwards every action to it; it holds no rule.
#pragma once

#include <QImage>
#include <QPixmap>
#include <string>
#include <vector>

#include "desktop/child_view.h"
#include "tools/picture_viewer_form.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QScrollArea;
class QToolBar;

namespace velmora::desktop {

// The picture itself: fitted (shrunk to the widget, never enlarged, centred) or at the size of
// its pixels.
class PictureCanvas final : public QWidget {
    Q_OBJECT

  public:
    explicit PictureCanvas(QWidget* parent);
    // `trueSize` is the picture's own size; `image` may hold it at a reduced scale.
    void setPicture(QImage image, QSize trueSize);
    void setFitted(bool fitted);
    bool fitted() const { return fitted_; }
    const QImage& image() const { return image_; }
    // Where the picture is drawn just now.
    QRect pictureRect() const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
    QSize trueSize_;
    bool fitted_ = true;
    QPixmap scaled_;  // the fitted picture, made again only when its size changes
};

class PictureViewerView final : public ChildView {
    Q_OBJECT

  public:
    PictureViewerView(tools::TpictureViewerForm& model, QWidget* parent);
    void refreshFromModel() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void run(const std::function<void()>& command);
    void runEntry(const std::string& name);
    void showPicture();
    void fillLists();

    tools::TpictureViewerForm& model_;
    QComboBox* places_ = nullptr;
    QLabel* folder_ = nullptr;
    QListWidget* folders_ = nullptr;
    QListWidget* pictures_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    std::vector<QAction*> actions_;
    QScrollArea* scroll_ = nullptr;
    PictureCanvas* canvas_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* error_ = nullptr;
    bool filling_ = false;
    int shownVersion_ = -1;
    std::vector<std::string> shownFolders_;
    std::vector<std::string> shownPictures_;
    std::vector<std::string> shownPlaces_;
};

// Registers the view for the picture viewer ("JpegViewer" keys).
void registerPictureViewerView();

}  // namespace velmora::desktop
