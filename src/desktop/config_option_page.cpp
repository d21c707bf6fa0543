#include "desktop/config_option_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "desktop/font_setting.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

using profiles::OptionKind;

namespace {

QString fontText(const profiles::FontSetting& font) {
    return toQt(font.name + ", " + font.size);
}

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(14, 14);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

}  // namespace

ConfigOptionPage::ConfigOptionPage(profiles::OptionPage& page,
                                   std::function<bool(std::function<void()>)> run, QWidget* parent)
    : QWidget(parent), page_(page), run_(std::move(run)) {
    auto* outer = new QVBoxLayout(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* inner = new QWidget(scroll);
    auto* form = new QFormLayout(inner);
    for (const profiles::PageOption& option : page_.options()) {
        QWidget* control = makeControl(option);
        controls_[option.id] = control;
        if (option.kind == OptionKind::Check || option.kind == OptionKind::Button) {
            form->addRow(control);
            continue;
        }
        QWidget* field = control;
        if (!option.suffix.empty()) {
            field = new QWidget(inner);
            auto* row = new QHBoxLayout(field);
            row->setContentsMargins(0, 0, 0, 0);
            control->setParent(field);
            row->addWidget(control);
            auto* suffix = new QLabel(field);
            suffixes_[option.id] = suffix;
            row->addWidget(suffix);
            row->addStretch();
        }
        form->addRow(toQt(option.caption), field);
    }
    scroll->setWidget(inner);
    outer->addWidget(scroll);
    refresh();
}

void ConfigOptionPage::act(const std::function<void()>& action) {
    if (refreshing_) return;
    run_(action);
    refresh();
}

QWidget* ConfigOptionPage::makeControl(const profiles::PageOption& option) {
    const std::string id = option.id;
    switch (option.kind) {
        case OptionKind::Check: {
            auto* box = new QCheckBox(toQt(option.caption), this);
            connect(box, &QCheckBox::clicked, this,
                    [this, id](bool on) { act([this, id, on] { page_.setChecked(id, on); }); });
            return box;
        }
        case OptionKind::Choice:
        case OptionKind::Colour: {
            auto* combo = new QComboBox(this);
            for (const auto& choice : option.choices) {
                if (option.kind == OptionKind::Colour) {
                    const profiles::Colour c = profiles::colourFromName(choice);
                    combo->addItem(swatch(toQColor(c, palette())), toQt(choice.substr(2)), c);
                } else {
                    combo->addItem(toQt(choice));
                }
            }
            const bool isColour = option.kind == OptionKind::Colour;
            connect(combo, QOverload<int>::of(&QComboBox::activated), this,
                    [this, id, combo, isColour](int index) {
                        const int value = isColour ? combo->itemData(index).toInt() : index;
                        act([this, id, value] { page_.setChoice(id, value); });
                    });
            return combo;
        }
        case OptionKind::Text:
        case OptionKind::File: {
            auto* edit = new QLineEdit(this);
            if (option.maxLength > 0) edit->setMaxLength(static_cast<int>(option.maxLength));
            connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
                const std::string value = fromQt(text);
                if (!refreshing_) run_([this, id, value] { page_.setText(id, value); });
            });
            // Entering a field tells the page which one was used last.
            focusIds_[edit] = id;
            edit->installEventFilter(this);
            if (option.kind == OptionKind::Text) return edit;
            auto* holder = new QWidget(this);
            auto* row = new QHBoxLayout(holder);
            row->setContentsMargins(0, 0, 0, 0);
            edit->setParent(holder);
            row->addWidget(edit);
            auto* browse = new QPushButton(QStringLiteral("..."), holder);
            connect(browse, &QPushButton::clicked, this,
                    [this, id] { act([this, id] { page_.browseFile(id); }); });
            row->addWidget(browse);
            return holder;
        }
        case OptionKind::Font: {
            auto* button = new QPushButton(this);
            connect(button, &QPushButton::clicked, this,
                    [this, id] { act([this, id] { page_.chooseFont(id); }); });
            return button;
        }
        case OptionKind::Button: {
            auto* button = new QPushButton(this);
            connect(button, &QPushButton::clicked, this,
                    [this, id] { act([this, id] { page_.click(id); }); });
            return button;
        }
    }
    return new QWidget(this);
}

bool ConfigOptionPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto it = focusIds_.find(watched); it != focusIds_.end()) {
            const std::string id = it->second;
            act([this, id] { page_.fieldClicked(id); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* ConfigOptionPage::control(const std::string& id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void ConfigOptionPage::refresh() {
    refreshing_ = true;
    for (const profiles::PageOption& option : page_.options()) {
        QWidget* control = controls_[option.id];
        control->setEnabled(page_.enabled(option.id));
        if (auto it = suffixes_.find(option.id); it != suffixes_.end())
            it->second->setText(toQt(page_.suffix(option.id)));
        switch (option.kind) {
            case OptionKind::Check:
                static_cast<QCheckBox*>(control)->setChecked(page_.checked(option.id));
                break;
            case OptionKind::Choice:
                static_cast<QComboBox*>(control)->setCurrentIndex(page_.choice(option.id));
                break;
            case OptionKind::Colour: {
                auto* combo = static_cast<QComboBox*>(control);
                const int value = page_.choice(option.id);
                int index = combo->findData(value);
                if (index < 0) {
                    combo->addItem(swatch(toQColor(value, palette())), QString::number(value),
                                   value);
                    index = combo->count() - 1;
                }
                combo->setCurrentIndex(index);
                break;
            }
            case OptionKind::Text:
            case OptionKind::File: {
                QLineEdit* edit = option.kind == OptionKind::Text
                                      ? static_cast<QLineEdit*>(control)
                                      : control->findChild<QLineEdit*>();
                const QString text = toQt(page_.text(option.id));
                if (edit->text() != text) edit->setText(text);
                break;
            }
            case OptionKind::Font: {
                const profiles::FontSetting font = page_.font(option.id);
                auto* button = static_cast<QPushButton*>(control);
                button->setText(fontText(font));
                applyFontSetting(*button, font, QPalette::ButtonText);
                break;
            }
            case OptionKind::Button:
                static_cast<QPushButton*>(control)->setText(toQt(page_.caption(option.id)));
                break;
        }
    }
    refreshing_ = false;
}

}  // namespace velmora::desktop
