#include "desktop/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimeZone>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "desktop/named_widget.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

QMessageBox::StandardButton toQtButton(platform::Answer answer) {
    switch (answer) {
        case platform::Answer::Ok:
            return QMessageBox::Ok;
        case platform::Answer::Cancel:
            return QMessageBox::Cancel;
        case platform::Answer::Yes:
            return QMessageBox::Yes;
        case platform::Answer::No:
            return QMessageBox::No;
        case platform::Answer::Retry:
            return QMessageBox::Retry;
        case platform::Answer::Abort:
            return QMessageBox::Abort;
        case platform::Answer::Ignore:
            return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons toQtButtons(platform::Buttons buttons) {
    switch (buttons) {
        case platform::Buttons::Ok:
            return QMessageBox::Ok;
        case platform::Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case platform::Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case platform::Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case platform::Buttons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case platform::Buttons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

platform::Answer fromQtButton(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return platform::Answer::Ok;
        case QMessageBox::Yes:
            return platform::Answer::Yes;
        case QMessageBox::No:
            return platform::Answer::No;
        case QMessageBox::Retry:
            return platform::Answer::Retry;
        case QMessageBox::Abort:
            return platform::Answer::Abort;
        case QMessageBox::Ignore:
            return platform::Answer::Ignore;
        default:
            return platform::Answer::Cancel;
    }
}

QMessageBox::Icon toQtIcon(platform::MessageKind kind) {
    switch (kind) {
        case platform::MessageKind::Information:
            return QMessageBox::Information;
        case platform::MessageKind::Warning:
            return QMessageBox::Warning;
        case platform::MessageKind::Error:
            return QMessageBox::Critical;
        case platform::MessageKind::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The three-button message window; Y, N and D answer as the buttons do.
class MsgFormDialog final : public QDialog {
  public:
    MsgFormDialog(QWidget* parent, const platform::MsgFormRequest& request) : QDialog(parent) {
        setWindowTitle(toQt(request.caption));
        setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
        auto* layout = new QVBoxLayout(this);
        for (const auto& line : request.lines) {
            auto* label = new QLabel(toQtMessage(line), this);
            label->setTextFormat(Qt::PlainText);  // texts may quote a subject: never markup
            label->setAlignment(Qt::AlignCenter);
            layout->addWidget(label);
        }
        named(this, "msgForm", toQt(request.caption));
        auto* buttons = new QDialogButtonBox(this);
        auto add = [&](const QString& caption, const char* answer) {
            QPushButton* b = buttons->addButton(caption, QDialogButtonBox::ActionRole);
            b->setAccessibleName(QString(caption).remove('&'));
            connect(b, &QPushButton::clicked, this, [this, answer] { finish(answer); });
            return b;
        };
        if (request.showYes) add(QStringLiteral("&Yes"), platform::kMsgFormYes)->setDefault(true);
        if (request.showNo) add(QStringLiteral("&No"), platform::kMsgFormNo);
        if (!request.thirdCaption.empty())
            add(toQt(request.thirdCaption), platform::kMsgFormDelete);
        layout->addWidget(buttons);
    }
    std::string answer = platform::kMsgFormNo;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Y:
                finish(platform::kMsgFormYes);
                return;
            case Qt::Key_N:
                finish(platform::kMsgFormNo);
                return;
            case Qt::Key_D:
                finish(platform::kMsgFormDelete);
                return;
            default:
                QDialog::keyPressEvent(event);
        }
    }

  private:
    void finish(const char* text) {
        answer = text;
        accept();
    }
};

QString filterText(const std::vector<platform::FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QStringList patterns;
        for (const auto& p : f.patterns) patterns << toQt(p);
        parts << QStringLiteral("%1 (%2)").arg(toQt(f.description), patterns.join(' '));
    }
    return parts.join(QStringLiteral(";;"));
}

QString initialPath(const platform::FileDialogRequest& request) {
    QString dir = toQt(request.initialDirectory);
    if (request.initialName.empty()) return dir;
    return dir.isEmpty() ? toQt(request.initialName) : dir + '/' + toQt(request.initialName);
}

}  // namespace

namespace {

// The answer of a box no one is there to answer: the one that changes nothing.
platform::Answer answerWhileEnding(platform::Buttons buttons) {
    switch (buttons) {
        case platform::Buttons::Ok:
            return platform::Answer::Ok;
        case platform::Buttons::YesNo:
            return platform::Answer::No;
        case platform::Buttons::AbortRetryIgnore:
            return platform::Answer::Abort;
        default:
            return platform::Answer::Cancel;
    }
}

}  // namespace

platform::Answer QtDialogs::messageBox(const platform::MessageBoxRequest& request) {
    if (ending_) return answerWhileEnding(request.buttons);
    QMessageBox box(toQtIcon(request.kind), toQt(request.title), toQtMessage(request.text),
                    toQtButtons(request.buttons), parent_);
    box.setTextFormat(Qt::PlainText);  // texts may quote a subject: never markup
    box.setDefaultButton(toQtButton(request.defaultAnswer));
    return fromQtButton(box.exec());
}

std::string QtDialogs::msgForm(const platform::MsgFormRequest& request) {
    if (ending_) return platform::kMsgFormNo;
    MsgFormDialog dialog(parent_, request);
    dialog.exec();
    return dialog.answer;
}

std::optional<platform::InputBoxResult> QtDialogs::inputBox(
    const platform::InputBoxRequest& request) {
    if (ending_) return std::nullopt;
    QDialog dialog(parent_);
    dialog.setWindowTitle(toQt(request.caption));
    named(&dialog, "inputBox", toQt(request.caption));
    auto* form = new QFormLayout(&dialog);
    auto addField = [&](const platform::InputField& field, const char* name) {
        auto* label = new QLabel(toQt(field.prompt), &dialog);
        label->setTextFormat(Qt::PlainText);  // a prompt may name a profile or a server
        auto* edit = named(new QLineEdit(toQt(field.value), &dialog), name, toQt(field.prompt));
        if (field.masked) edit->setEchoMode(QLineEdit::Password);
        label->setBuddy(edit);
        form->addRow(label, edit);
        return edit;
    };
    QLineEdit* first = addField(request.first, "inputFirst");
    QLineEdit* second = request.second ? addField(*request.second, "inputSecond") : nullptr;
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    named(buttons->button(QDialogButtonBox::Ok), "inputOk", QStringLiteral("OK"));
    named(buttons->button(QDialogButtonBox::Cancel), "inputCancel", QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return platform::InputBoxResult{fromQt(first->text()),
                                    second ? fromQt(second->text()) : std::string()};
}

std::vector<std::filesystem::path> QtDialogs::openFiles(
    const platform::FileDialogRequest& request) {
    std::vector<std::filesystem::path> result;
    if (ending_) return result;
    if (request.multiple) {
        for (const QString& f : QFileDialog::getOpenFileNames(
                 parent_, toQt(request.title), initialPath(request), filterText(request.filters)))
            result.push_back(pathFromQt(f));
    } else {
        QString f = QFileDialog::getOpenFileName(parent_, toQt(request.title), initialPath(request),
                                                 filterText(request.filters));
        if (!f.isEmpty()) result.push_back(pathFromQt(f));
    }
    return result;
}

std::optional<std::filesystem::path> QtDialogs::saveFile(
    const platform::FileDialogRequest& request) {
    if (ending_) return std::nullopt;
    QString f = QFileDialog::getSaveFileName(parent_, toQt(request.title), initialPath(request),
                                             filterText(request.filters));
    if (f.isEmpty()) return std::nullopt;
    return pathFromQt(f);
}

std::optional<std::filesystem::path> QtDialogs::chooseDirectory(
    const std::string& title, const std::filesystem::path& initial) {
    if (ending_) return std::nullopt;
    QString d = QFileDialog::getExistingDirectory(parent_, toQt(title), toQt(initial));
    if (d.isEmpty()) return std::nullopt;
    return pathFromQt(d);
}

std::optional<std::filesystem::path> QtDialogs::chooseTargetDirectory(
    const platform::DirectoryRequest& request) {
    if (ending_) return std::nullopt;
    QFileDialog dialog(parent_, toQt(request.title), toQt(request.initialDirectory));
    dialog.setObjectName(QStringLiteral("TattSaveToForm"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!request.acceptCaption.empty())
        dialog.setLabelText(QFileDialog::Accept, toQt(request.acceptCaption));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("&Cancel"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return pathFromQt(dialog.selectedFiles().front());
}

std::optional<platform::FontChoice> QtDialogs::chooseFont(const platform::FontChoice& initial) {
    if (ending_) return std::nullopt;
    QFont font(toQt(initial.family), initial.pointSize);
    font.setBold(initial.bold);
    font.setItalic(initial.italic);
    font.setUnderline(initial.underline);
    font.setStrikeOut(initial.strikeOut);
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, font, parent_);
    if (!ok) return std::nullopt;
    platform::FontChoice result = initial;
    result.family = fromQt(chosen.family());
    result.pointSize = chosen.pointSize();
    result.bold = chosen.bold();
    result.italic = chosen.italic();
    result.underline = chosen.underline();
    result.strikeOut = chosen.strikeOut();
    return result;
}

void QtDialogs::showStatus(const std::string& caption, const std::array<std::string, 4>& lines) {
    if (!status_) {
        auto* box = new QDialog(parent_, Qt::Dialog | Qt::WindowStaysOnTopHint);
        auto* layout = new QVBoxLayout(box);
        for (int i = 0; i < 4; ++i) {
            auto* label = new QLabel(box);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignCenter);
            label->setObjectName(QStringLiteral("line%1").arg(i));
            layout->addWidget(label);
        }
        status_.reset(box);
    }
    status_->setWindowTitle(toQt(caption));
    status_->setAccessibleName(toQt(caption));
    for (int i = 0; i < 4; ++i) {
        status_->findChild<QLabel*>(QStringLiteral("line%1").arg(i))
            ->setText(toQtMessage(lines[static_cast<std::size_t>(i)]));
    }
    status_->show();
    status_->raise();
    QCoreApplication::processEvents();
}

void QtDialogs::hideStatus() {
    if (status_) status_->hide();
}

void QtSystem::beep() {
    QApplication::beep();
}

void QtSystem::playSound(const std::filesystem::path& file) {
    // No sound library is linked: hand the file to the desktop's player when one is installed.
    for (const char* player : {"paplay", "aplay"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(player));
        if (!program.isEmpty()) {
            QProcess::startDetached(program, {toQt(file)});
            return;
        }
    }
}

std::string QtSystem::clipboardText() {
    return fromQt(QGuiApplication::clipboard()->text());
}

void QtSystem::setClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(toQt(text));
}

bool QtSystem::openWithRegisteredProgram(const std::filesystem::path& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(toQt(file)));
}

std::int64_t QtSystem::freeDiskSpace(const std::filesystem::path& path) {
    QStorageInfo info(toQt(path));
    if (!info.isValid()) return -1;
    return info.bytesAvailable();
}

bool QtSystem::shiftPressed() const {
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

bool QtSystem::ctrlPressed() const {
    return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
}

platform::Milliseconds QtClock::elapsed() const {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return platform::Milliseconds{timer.elapsed()};
}

platform::LocalTime QtClock::localNow() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return platform::LocalTime{d.year(), d.month(),         d.day(),
                               t.hour(), t.minute(),        t.second(),
                               t.msec(), d.dayOfWeek() % 7, now.offsetFromUtc() / 60};
}

void QtEventLoop::processEvents() {
    QCoreApplication::processEvents();
}

void QtEventLoop::waitForEvents(platform::Milliseconds limit) {
    if (quit_) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(limit.count()), &loop, &QEventLoop::quit);
    waits_.push_back(&loop);
    loop.exec();
    waits_.pop_back();
}

void QtEventLoop::requestQuit() {
    quit_ = true;
    for (QEventLoop* wait : waits_) wait->quit();
}

namespace {

class QtTimer final : public platform::Timer {
  public:
    QtTimer(platform::Milliseconds interval, bool singleShot, std::function<void()> onTimeout) {
        timer_.setInterval(static_cast<int>(interval.count()));
        timer_.setSingleShot(singleShot);
        QObject::connect(&timer_, &QTimer::timeout, [callback = std::move(onTimeout)] {
            if (callback) callback();
        });
    }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
    void setInterval(platform::Milliseconds interval) override {
        timer_.setInterval(static_cast<int>(interval.count()));
    }
    platform::Milliseconds interval() const override {
        return platform::Milliseconds{timer_.interval()};
    }

  private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<platform::Timer> QtTimers::createTimer(platform::Milliseconds interval,
                                                       bool singleShot,
                                                       std::function<void()> onTimeout) {
    return std::make_unique<QtTimer>(interval, singleShot, std::move(onTimeout));
}

QtPlatform::QtPlatform()
    : platform_{dialogs_, system_, clock_, events_, timers_, printer_, help_} {}

}  // namespace velmora::desktop
