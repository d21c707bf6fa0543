#include "desktop/menu_builder.h"

#include <QAction>
#include <QApplication>
#include <QStyle>

#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

QStyle::StandardPixmap fallbackPixmap(const std::string& name) {
    static const std::map<std::string, QStyle::StandardPixmap> fallbacks = {
        {"go-previous", QStyle::SP_ArrowBack},
        {"go-next", QStyle::SP_ArrowForward},
        {"mail-reply-sender", QStyle::SP_DialogYesButton},
        {"user-trash", QStyle::SP_TrashIcon},
        {"mail-message-new", QStyle::SP_FileIcon},
        {"mail-send", QStyle::SP_DialogOkButton},
        {"view-list-details", QStyle::SP_FileDialogListView},
        {"dialog-information", QStyle::SP_MessageBoxQuestion},
        {"mail-forward", QStyle::SP_ArrowRight},
        {"document-print", QStyle::SP_DialogSaveButton},
        {"mail-receive", QStyle::SP_DialogOpenButton},
    };
    auto it = fallbacks.find(name);
    return it == fallbacks.end() ? QStyle::SP_CustomBase : it->second;
}

}  // namespace

QIcon themeIcon(const std::string& name) {
    if (name.empty()) return {};
    const QStyle::StandardPixmap fallback = fallbackPixmap(name);
    const QIcon builtIn =
        fallback == QStyle::SP_CustomBase ? QIcon() : QApplication::style()->standardIcon(fallback);
    return QIcon::fromTheme(QString::fromStdString(name), builtIn);
}

QString plainCaption(const std::string& caption) {
    QString text = toQt(caption);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove('&');
    text.replace(QChar(1), QChar('&'));
    return text;
}

void fillMenu(QMenu* menu, const platform::Menu& entries, const CommandRunner& run,
              const ViewCommands& viewCommands) {
    menu->clear();
    for (const platform::MenuEntry& entry : entries) {
        if (!entry.visible) continue;
        if (entry.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        if (!entry.entries.empty()) {
            QMenu* sub = menu->addMenu(toQt(entry.caption));
            sub->setObjectName(QString::fromStdString(entry.name));
            sub->setAccessibleName(plainCaption(entry.caption));
            sub->setEnabled(entry.enabled);
            fillMenu(sub, entry.entries, run, viewCommands);
            continue;
        }
        QAction* action = menu->addAction(toQt(entry.caption));
        action->setObjectName(QString::fromStdString(entry.name));
        action->setStatusTip(toQt(entry.hint).section('|', 0, 0));
        if (!entry.icon.empty()) action->setIcon(themeIcon(entry.icon));
        if (!entry.shortcut.empty())
            action->setShortcut(QKeySequence(QString::fromStdString(entry.shortcut)));
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        std::function<void()> command = entry.command;
        if (auto own = viewCommands.find(entry.name); own != viewCommands.end())
            command = own->second;
        action->setEnabled(entry.enabled && command != nullptr);
        if (command)
            QObject::connect(action, &QAction::triggered, menu, [run, command] { run(command); });
    }
}

}  // namespace velmora::desktop
