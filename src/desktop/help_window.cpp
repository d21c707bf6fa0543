#include "desktop/help_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "desktop/named_widget.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAccessibleName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("Velmora Pro Help"));
    auto* layout = new QHBoxLayout(this);
    list_ = named(new QListWidget(this), "lstTopics", QStringLiteral("Help topics"));
    list_->setMaximumWidth(260);
    layout->addWidget(list_);
    auto* page = new QVBoxLayout;
    title_ = named(new QLabel(this), "lblTopicTitle", QStringLiteral("Topic title"));
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    title_->setFont(bold);
    title_->setTextFormat(Qt::PlainText);
    note_ = named(new QLabel(this), "lblTopicNote", QStringLiteral("Topic note"));
    note_->setTextFormat(Qt::PlainText);
    text_ = named(new QPlainTextEdit(this), "txtTopic", QStringLiteral("Topic text"));
    text_->setReadOnly(true);
    page->addWidget(title_);
    page->addWidget(note_);
    page->addWidget(text_);
    layout->addLayout(page, 1);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { choose(row); });
    resize(820, 560);
}

void HelpWindow::showTopics(std::vector<platform::HelpTopic> topics, int number) {
    topics_ = std::move(topics);
    int row = 0;
    for (std::size_t i = 0; i < topics_.size(); ++i)
        if (topics_[i].number == number) row = static_cast<int>(i);
    const bool found = !topics_.empty() && topics_[static_cast<std::size_t>(row)].number == number;
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const platform::HelpTopic& topic : topics_) list_->addItem(toQtReadable(topic.title));
    }
    note_->setText(found ? QString()
                         : QStringLiteral("Topic %1 is not in the help file.").arg(number));
    note_->setVisible(!found);
    list_->setCurrentRow(row);
    choose(row);
}

int HelpWindow::shownTopic() const {
    const int row = list_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= topics_.size()) return -1;
    return topics_[static_cast<std::size_t>(row)].number;
}

void HelpWindow::choose(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= topics_.size()) {
        title_->clear();
        text_->clear();
        return;
    }
    const platform::HelpTopic& topic = topics_[static_cast<std::size_t>(row)];
    title_->setText(toQtReadable(topic.title));
    text_->setPlainText(toQtReadable(topic.text));
}

platform::HelpOutcome QtHelp::showTopic(int topic) {
    std::error_code ec;
    if (!std::filesystem::exists(helpFile(), ec)) return platform::HelpOutcome::NoHelpFile;
    std::string error;
    auto topics = platform::readHelpFile(helpFile(), error);
    if (!topics || topics->empty()) return platform::HelpOutcome::Unreadable;
    if (!window_) window_ = new HelpWindow(parent_);
    window_->showTopics(std::move(*topics), topic);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return platform::HelpOutcome::Shown;
}

}  // namespace velmora::desktop
