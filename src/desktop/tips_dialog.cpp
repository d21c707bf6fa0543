#include "desktop/tips_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "desktop/menu_builder.h"
#include "desktop/named_widget.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

using tools::TtipsForm;

TipsDialog::TipsDialog(TtipsForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("TtipsForm"));
    setAccessibleName(QStringLiteral("Tip of the day"));
    setWindowTitle(QString::fromLatin1(TtipsForm::kCaption));
    auto* layout = new QVBoxLayout(this);

    auto* panel = named(new QFrame(this), "pnlTip", QStringLiteral("Tip"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setBackgroundRole(QPalette::Base);
    panel->setAutoFillBackground(true);
    auto* panelLayout = new QHBoxLayout(panel);
    auto* icon = named(new QLabel(panel), "imgTip", QStringLiteral("Tip picture"));
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    panelLayout->addWidget(icon);
    auto* texts = new QVBoxLayout;
    auto* heading = named(new QLabel(QString::fromLatin1(TtipsForm::kHeading), panel), "lblHeading",
                          QStringLiteral("Heading"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    heading->setFont(bold);
    texts->addWidget(heading);
    tip_ = named(new QLabel(panel), "lblTip", QStringLiteral("Tip text"));
    tip_->setTextFormat(Qt::PlainText);
    tip_->setWordWrap(true);
    tip_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    tip_->setMinimumHeight(90);
    texts->addWidget(tip_, 1);
    panelLayout->addLayout(texts, 1);
    layout->addWidget(panel, 1);

    auto* row = new QHBoxLayout;
    showAtStartup_ =
        named(new QCheckBox(QString::fromLatin1(TtipsForm::kShowAtStartupCaption), this),
              "chkShowAtStartup", plainCaption(TtipsForm::kShowAtStartupCaption));
    row->addWidget(showAtStartup_);
    row->addStretch(1);
    auto button = [this, row](const char* name, const char* caption) {
        auto* b =
            named(new QPushButton(QString::fromLatin1(caption), this), name, plainCaption(caption));
        row->addWidget(b);
        return b;
    };
    auto* previous = button("cmdPrevious", TtipsForm::kPreviousCaption);
    auto* next = button("cmdNext", TtipsForm::kNextCaption);
    auto* close = button("cmdClose", TtipsForm::kCloseCaption);
    previous->setAutoDefault(false);
    next->setDefault(true);
    close->setAutoDefault(false);
    layout->addLayout(row);

    connect(showAtStartup_, &QCheckBox::toggled, this,
            [this](bool on) { form_.setShowAtStartup(on); });
    connect(previous, &QPushButton::clicked, this, [this] { form_.previousClick(); });
    connect(next, &QPushButton::clicked, this, [this] { form_.nextClick(); });
    connect(close, &QPushButton::clicked, this, [this] { form_.closeClick(); });
    form_.onChanged = [this] { refreshFromModel(); };
    form_.closeRequested = [this] { accept(); };
    refreshFromModel();
    resize(480, 240);
}

TipsDialog::~TipsDialog() {
    form_.onChanged = nullptr;
    form_.closeRequested = nullptr;
}

void TipsDialog::reject() {
    form_.closeClick();
    QDialog::reject();
}

void TipsDialog::refreshFromModel() {
    tip_->setText(toQt(std::string(form_.tipText())));
    showAtStartup_->setChecked(form_.showAtStartup());
}

void registerTipsWindowView() {
    tools::setTipsWindowView([](TtipsForm& form) {
        TipsDialog dialog(form, QApplication::activeWindow());
        dialog.exec();
    });
}

}  // namespace velmora::desktop
