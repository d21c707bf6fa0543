#include "desktop/compose/read_receipt_view.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/text_convert.h"

namespace velmora::desktop {

using compose::ReadReceiptButton;
using compose::TreadReceiptForm;

ReadReceiptDialog::ReadReceiptDialog(QWidget* parent, TreadReceiptForm& form)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("TreadReceiptForm"));
    setWindowTitle(toQt(std::string(TreadReceiptForm::kCaption)));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    for (const char* text : {TreadReceiptForm::kRequestText, TreadReceiptForm::kQuestionText}) {
        auto* label = new QLabel(toQt(std::string(text)), this);
        label->setAccessibleName(label->text());
        layout->addWidget(label);
    }
    auto* row = new QFormLayout;
    profiles_ = new QComboBox(this);
    profiles_->setObjectName(QStringLiteral("cboUserToRespondWith"));
    profiles_->setAccessibleName(toQt(std::string(TreadReceiptForm::kProfileLabel)));
    for (const auto& name : form.profileNames()) profiles_->addItem(toQt(name));
    profiles_->setCurrentIndex(form.chosenProfile());
    connect(profiles_, &QComboBox::currentIndexChanged, this,
            [this](int index) { form_.chooseProfile(index); });
    row->addRow(toQt(std::string(TreadReceiptForm::kProfileLabel)), profiles_);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(this);
    const ReadReceiptButton kinds[] = {ReadReceiptButton::Yes, ReadReceiptButton::No,
                                       ReadReceiptButton::Later, ReadReceiptButton::Cancel};
    const char* names[] = {"cmdYes", "cmdNo", "cmdLater", "cmdCancel"};
    for (int i = 0; i < 4; ++i) {
        QPushButton* button = buttons->addButton(
            toQt(std::string(TreadReceiptForm::kButtonCaptions[i])), QDialogButtonBox::ActionRole);
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
        const ReadReceiptButton kind = kinds[i];
        connect(button, &QPushButton::clicked, this, [this, kind] { finish(kind); });
        if (kind == TreadReceiptForm::kFocusButton) {
            button->setDefault(true);
            focusButton_ = button;
        }
    }
    layout->addWidget(buttons);
}

void ReadReceiptDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (focusButton_) focusButton_->setFocus();
}

void ReadReceiptDialog::finish(ReadReceiptButton button) {
    answer_ = button;
    accept();
}

void registerReadReceiptView() {
    compose::setReadReceiptView([](TreadReceiptForm& form) {
        ReadReceiptDialog dialog(QApplication::activeWindow(), form);
        dialog.exec();  // closing it without a button answers "&Cancel"
        return dialog.answer();
    });
}

}  // namespace velmora::desktop
