#include "desktop/retrieval/progress_box_view.h"

#include <QLabel>
#include <QMoveEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

// Server texts are shown as they came: never as rich text.
QLabel* plainLabel(const char* name, const char* accessible, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(QString::fromLatin1(accessible));
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(320);
    return label;
}

QProgressBar* bar(const char* name, const char* accessible, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setAccessibleName(QString::fromLatin1(accessible));
    bar->setTextVisible(false);
    return bar;
}

}  // namespace

ProgressBoxView::ProgressBoxView(retrieval::TretrieveHeadersDialogForm& model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), model_(model) {
    setObjectName(QStringLiteral("TretrieveHeadersDialogForm"));
    setAccessibleName(QStringLiteral("Mail transfer progress"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    upper_ = plainLabel("lblUpperStatus", "Upper status line", this);
    upperBar_ = bar("pbUpper", "Current message progress", this);
    lower_ = plainLabel("lblLowerStatus", "Lower status line", this);
    lowerBar_ = bar("pbLower", "Session progress", this);
    timeout_ = plainLabel("lblTimeout", "Connection time-out", this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setAccessibleName(QStringLiteral("Cancel"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{upper_, upperBar_, lower_, lowerBar_, timeout_})
        layout->addWidget(w);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, [this] { model_.cancelClick(); });
    model_.onChanged = [this] { refreshFromModel(); };
    refreshFromModel();
}

ProgressBoxView::~ProgressBoxView() {
    model_.onChanged = nullptr;
}

void ProgressBoxView::refreshFromModel() {
    setWindowTitle(toQt(model_.caption()));
    upper_->setText(toQt(model_.upperLine()));
    lower_->setText(toQt(model_.lowerLine()));
    upperBar_->setRange(0, 100);
    upperBar_->setValue(model_.upperBar());
    // QProgressBar counts in int: the session bar is scaled down to per mille.
    const std::int64_t max = std::max<std::int64_t>(1, model_.lowerBarMax());
    lowerBar_->setRange(0, 1000);
    lowerBar_->setValue(
        static_cast<int>(std::clamp<std::int64_t>(model_.lowerBar(), 0, max) * 1000 / max));
    timeout_->setText(toQt(model_.timeoutLine()));
    timeout_->setVisible(model_.timeoutLineVisible());
    if (model_.visible() && !isVisible()) {
        const platform::WindowBounds& b = model_.bounds();
        if (placed_ || (b.left > 0 || b.top > 0)) move(b.left, b.top);
        show();
        raise();
    } else if (!model_.visible() && isVisible()) {
        hide();
    }
}

void ProgressBoxView::reject() {
    model_.cancelClick();
}

void ProgressBoxView::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (!isVisible()) return;
    placed_ = true;
    platform::WindowBounds b = model_.bounds();
    b.left = event->pos().x();
    b.top = event->pos().y();
    model_.setBounds(b);  // the next session's box opens where this one was
}

}  // namespace velmora::desktop
