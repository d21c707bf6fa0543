#include "desktop/child_view.h"

#include <QLabel>
#include <QVBoxLayout>
#include <map>

#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

std::map<std::string, ChildViewFactory>& registry() {
    static std::map<std::string, ChildViewFactory> factories;
    return factories;
}

class CaptionView final : public ChildView {
  public:
    CaptionView(platform::ChildWindow& window, QWidget* parent)
        : ChildView(parent), window_(window) {
        auto* layout = new QVBoxLayout(this);
        label_ = new QLabel(this);
        label_->setTextFormat(Qt::PlainText);
        label_->setAlignment(Qt::AlignCenter);
        layout->addWidget(label_);
        refreshFromModel();
    }
    void refreshFromModel() override { label_->setText(toQt(window_.caption())); }

  private:
    platform::ChildWindow& window_;
    QLabel* label_ = nullptr;
};

}  // namespace

void registerChildView(const std::string& kind, ChildViewFactory factory) {
    registry()[kind] = std::move(factory);
}

ChildView* createChildView(platform::ChildWindow& window, QWidget* parent) {
    auto it = registry().find(window.kind());
    if (it != registry().end())
        if (ChildView* view = it->second(window, parent)) return view;
    return new CaptionView(window, parent);
}

void setFrameBounds(QMdiSubWindow& frame, const platform::WindowBounds& bounds) {
    const QSize size = QSize(bounds.width, bounds.height).expandedTo(frame.minimumSizeHint());
    frame.setGeometry(bounds.left, bounds.top, size.width(), size.height());
}

}  // namespace velmora::desktop
