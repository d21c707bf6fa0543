#include "desktop/application.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <functional>

#include "base/identity.h"
#include "core/command_line.h"
#include "core/error_report.h"
#include "core/home_folder.h"
#include "core/main_form.h"
#include "core/single_instance.h"
#include "desktop/app_icon.h"
#include "desktop/compose/compose_window_view.h"
#include "desktop/compose/read_receipt_view.h"
#include "desktop/compose/signature_window_view.h"
#include "desktop/floating_tips.h"
#include "desktop/folder_window_view.h"
#include "desktop/main_window.h"
#include "desktop/picture_viewer_view.h"
#include "desktop/qt_platform.h"
#include "desktop/read_window_view.h"
#include "desktop/retrieval/new_mail_signals.h"
#include "desktop/retrieval/retrieval_views.h"
#include "desktop/scratch_pad_view.h"
#include "desktop/search_window_view.h"
#include "desktop/spell_check_dialog.h"
#include "desktop/splash_window.h"
#include "desktop/text_convert.h"
#include "desktop/tips_dialog.h"
#include "profiles/settings_rules.h"

namespace velmora::desktop {

namespace {

// SIGTERM and SIGINT close the main window as "E&xit" does: the handler only writes a byte to
// a pipe, which the event loop reads.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

void installTerminationHandlers() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int runDesktop(QApplication& app) {
    app.setApplicationName(QString::fromLatin1(kProductName));
    app.setApplicationDisplayName(QString::fromLatin1(kVersionedName));
    // Every window, the tray icon and the window list show a mail icon rather than the
    // toolkit's own logo.
    app.setWindowIcon(applicationIcon());
    QStringList qtArgs = app.arguments();
    std::vector<std::string> args;
    for (int i = 1; i < qtArgs.size(); ++i) args.push_back(qtArgs[i].toLocal8Bit().toStdString());

    core::StartRequest request;
    std::filesystem::path home;
    try {
        request = core::parseCommandLine(args);
        home = core::prepareHomeFolder(request.home);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora: %s\n", e.what());
        return 2;
    }

    std::optional<core::InstanceServer> server;
    if (!request.allowSecondInstance) {
        server = core::InstanceServer::listen(home);
        if (!server) {
            // Another instance runs on this home folder: hand over and end without a window.
            if (core::handOverToRunningInstance(home, request.handOverText())) return 0;
            server = core::InstanceServer::listen(home);  // it ended in the meantime
        }
    }

    installTerminationHandlers();
    std::unique_ptr<QSplashScreen> splash = showSplashWindow();
    registerFolderWindowView();
    registerReadWindowView();
    registerRetrievalViews();
    registerComposeWindowView();
    registerReadReceiptView();
    registerSignatureWindowView();
    registerScratchPadView();
    registerSearchWindowView();
    registerPictureViewerView();
    registerSpellCheckWindowView();
    registerTipsWindowView();
    QtPlatform platform;
    const QSize screen = app.primaryScreen() ? app.primaryScreen()->size() : QSize(1280, 1024);
    core::TmainForm model(platform.platform(), home, request, {screen.width(), screen.height()});
    model.setExecutablePath(QCoreApplication::applicationFilePath().toLocal8Bit().toStdString());
    MainWindow window(model);
    FloatingTipsFilter tips(nullptr, [&model] {
        const profiles::OtherSettings& other = model.settings().other;
        return FloatingTipsFilter::State{other.showFloatingTips,
                                         profiles::floatingTipMilliseconds(other)};
    });
    app.installEventFilter(&tips);
    platform.dialogs().setParent(&window);
    platform.printer().setParent(&window);
    platform.help().setParent(&window);
    QtNewMailSignals newMailSignals(&window, [&window] { window.bringToFront(); });
    model.setNewMailSignals(newMailSignals.lend());
    window.setTrayIcon(&newMailSignals.tray);

    // A termination signal ends the program as E&xit does, with no one to answer: waits end,
    // later questions take the answer that changes nothing, and the modal windows on screen
    // close one by one, innermost first, each letting the command that opened it end; then the
    // frame closes, which records the session and writes the settings.
    std::function<void()> endProgram = [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
            QTimer::singleShot(0, &window, endProgram);
            return;
        }
        window.close();
    };
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &window, [&] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        platform.beginEnding();
        QTimer::singleShot(0, &window, endProgram);
    });

    // The general timer also takes hand-overs from later starts.
    QTimer general;
    general.setInterval(250);
    QObject::connect(&general, &QTimer::timeout, &window, [&] {
        if (!server) return;
        server->poll([&](const std::string& text) {
            core::runReported(platform.platform().dialogs, model.applicationTitle(),
                              [&] { model.receiveHandOver(text); });
        });
    });
    general.start();

    if (!core::runReported(platform.platform().dialogs, kVersionedName,
                           [&] { model.FormCreate(); }))
        return 1;
    window.showFrame();
    splash->finish(&window);
    app.setQuitOnLastWindowClosed(true);
    return app.exec();
}

int runDesktopProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    return runDesktop(app);
}

}  // namespace velmora::desktop
