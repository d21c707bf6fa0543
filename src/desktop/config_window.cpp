#include "desktop/config_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/address_book_hooks.h"
#include "desktop/addressbook/address_book_page_view.h"
#include "desktop/config_option_page.h"
#include "desktop/config_users_page.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

using profiles::ConfigPage;

ConfigWindow::ConfigWindow(profiles::TconfigForm& model, profiles::ProfileLists& lists,
                           QWidget* parent, core::AddressBookHooks* addressBooks)
    : QDialog(parent), model_(model) {
    setWindowTitle(toQt(std::string(model_.caption())));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    auto runner = [this](std::function<void()> action) { return run(action); };
    for (int i = 0; i < profiles::kConfigPageCount; ++i) {
        const auto page = static_cast<ConfigPage>(i);
        QWidget* widget = nullptr;
        if (page == ConfigPage::Users) {
            users_ = new ConfigUsersPage(model_.users(), lists, runner, tabs_);
            widget = users_;
        } else if (profiles::OptionPage* options = model_.optionPage(page)) {
            pages_[static_cast<std::size_t>(i)] = new ConfigOptionPage(*options, runner, tabs_);
            widget = pages_[static_cast<std::size_t>(i)];
        } else if (page == ConfigPage::AddressBooks && addressBooks) {
            addressBooks_ =
                new AddressBookPageView(addressBooks->page(), addressBooks, runner, tabs_);
            widget = addressBooks_;
        } else {
            // Without the address books (a test of the window alone) the tab stays empty.
            auto* empty = new QLabel(tabs_);
            empty->setAlignment(Qt::AlignCenter);
            widget = empty;
        }
        // A page taller than the screen (a laptop's 768 lines) scrolls instead of pushing the
        // window, and its Close button, off the screen.
        auto* scroll = new QScrollArea(tabs_);
        scroll->setObjectName(QStringLiteral("scrollConfigPage"));
        scroll->setAccessibleName(toQt(std::string(profiles::configPageCaption(page))));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setWidget(widget);
        tabs_->addTab(scroll, toQt(std::string(profiles::configPageCaption(page))));
    }
    layout->addWidget(tabs_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (switching_ || index < 0) return;
        const auto page = static_cast<ConfigPage>(index);
        run([this, page] { model_.selectPage(page); });
        refreshPage(page);
    });
    resize(760, 560);
}

void ConfigWindow::showEvent(QShowEvent* event) {
    // Large enough for its largest page, but never beyond the screen it opens on.
    if (const QScreen* screen = this->screen()) {
        QSize pages;
        for (int i = 0; i < tabs_->count(); ++i)
            if (auto* scroll = qobject_cast<QScrollArea*>(tabs_->widget(i)))
                pages = pages.expandedTo(scroll->widget()->sizeHint());
        // What the window adds around a page: the tabs, the margins, the Close button.
        const QSize around = size() - tabs_->currentWidget()->size();
        const QSize wanted = (pages + around).expandedTo(size());
        const QRect room = screen->availableGeometry();
        const int titleBar = frameGeometry().height() - height();
        resize(std::min(wanted.width(), room.width()),
               std::min(wanted.height(), room.height() - titleBar));
        QRect frame = geometry();
        if (frame.bottom() > room.bottom()) frame.moveBottom(room.bottom());
        if (frame.top() < room.top()) frame.moveTop(room.top());
        if (frame.topLeft() != geometry().topLeft()) move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

bool ConfigWindow::run(const std::function<void()>& action) {
    return model_.run(action);
}

ConfigOptionPage* ConfigWindow::optionPage(ConfigPage page) {
    return pages_[static_cast<std::size_t>(page)];
}

void ConfigWindow::refreshPage(ConfigPage page) {
    if (page == ConfigPage::Users)
        users_->refresh();
    else if (page == ConfigPage::AddressBooks && addressBooks_)
        addressBooks_->refresh();
    else if (ConfigOptionPage* options = optionPage(page))
        options->refresh();
}

void ConfigWindow::openOn(ConfigPage page) {
    run([this, page] { model_.open(page); });
    switching_ = true;
    tabs_->setCurrentIndex(static_cast<int>(model_.page()));
    switching_ = false;
    for (int i = 0; i < profiles::kConfigPageCount; ++i) refreshPage(static_cast<ConfigPage>(i));
    if (const auto position = model_.storedPosition()) move(position->first, position->second);
    show();
}

void ConfigWindow::openModal(ConfigPage page, bool addFirstProfile) {
    openOn(page);
    if (addFirstProfile) {
        QTimer::singleShot(0, this, [this] {
            run([this] { model_.users().addClick(); });
            users_->refresh();
        });
    }
    exec();
}

void ConfigWindow::done(int result) {
    model_.setPosition(x(), y());
    run([this] { model_.close(); });
    QDialog::done(result);
}

}  // namespace velmora::desktop
