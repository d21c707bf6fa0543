#include "compose/window_kinds.h"

#include "base/identity.h"
#include "compose/read_receipt.h"
#include "compose/reply.h"
#include "platform/session_records.h"
#include "reading/folder_window.h"
#include "store/folders.h"

namespace velmora::compose {

std::shared_ptr<ComposeWindows> registerWindowKinds(platform::WindowKinds& kinds,
                                                    platform::Commands& commands,
                                                    const std::filesystem::path& home,
                                                    ComposeHost& host,
                                                    platform::Platform& platform) {
    auto windows = std::make_shared<ComposeWindows>(platform, home, host);
    ComposeWindows* w = windows.get();

    platform::WindowKind kind;
    kind.keyPrefix = "Compose";
    kind.sessionFile = platform::kComposeSessionFile;
    kind.restore = [w, &host, home](const std::vector<std::string>& lines) {
        for (const auto& record : platform::parseComposeRecords(lines)) {
            const auto folderKind = store::folderKindOf(record.folderName);
            if (folderKind != store::FolderKind::Drafts &&
                folderKind != store::FolderKind::OutBox && folderKind != store::FolderKind::Sent)
                continue;
            std::error_code ec;
            if (!std::filesystem::is_directory(store::folderDirectory(home, record.folderName), ec))
                continue;
            host.folders().openFolderWindow(record.folderName, true);
            w->openStored(record.folderName, record.row);
        }
    };
    kind.record = [&host](platform::ChildWindow& child) -> std::vector<std::string> {
        for (TcomposeForm* window : host.composeWindows()) {
            if (window != &child) continue;
            if (auto record = window->sessionRecord())
                return platform::composeRecordLines({record->first, record->second});
        }
        return {};
    };
    kind.mailTo = [w](const std::string& address) { w->openNew(address); };
    kind.shutdown = [w] {
        if (w->sending().running()) w->sending().cancel();
    };
    kind.exitQuery = [&host] {
        for (TcomposeForm* window : host.composeWindows()) {
            if (!window->unsavedWork()) continue;  // recorded in compose.dat instead
            if (!window->closeQuery()) return false;
            host.closeComposeWindow(*window);
        }
        return true;
    };
    kinds.add(std::move(kind));

    commands.add("compose.new", {[w] { w->composeCommand(); },
                                 [&host] { return !host.busy() && !host.profiles().empty(); }});
    commands.add("compose.importText",
                 {[&host, &platform] {
                      if (TcomposeForm* window = host.activeComposeWindow()) {
                          window->importTextFile();
                          return;
                      }
                      platform.system.beep();
                      platform.dialogs.information(
                          kProductName,
                          "There must be an open Compose window\rand the cursor must "
                          "be placed in the Body of the compose message.");
                  },
                  [&host] { return !host.composeWindows().empty(); }});
    commands.add("send.current", {[w] { w->sendCommand(); }, [w] { return w->sendAvailable(); }});

    // The folder window's commands on its selected rows: Drafts, OutBox and Sent rows open in
    // compose windows, OutBox and Sent rows are sent.
    const auto current = [&host]() -> reading::TinboxForm* {
        return host.folders().currentFolderWindow();
    };
    const auto kindOf = [current] {
        reading::TinboxForm* window = current();
        return window ? window->folderKind() : store::FolderKind::User;
    };
    commands.add(
        reading::folder_commands::kEditInCompose,
        {[w, current] {
             reading::TinboxForm* window = current();
             if (!window) return;
             // By file name: each opening may change the selection.
             std::vector<std::string> files;
             for (int row : window->selectedRows())
                 files.push_back(window->rows()[static_cast<std::size_t>(row)].item.fileName);
             for (const std::string& file : files)
                 for (std::size_t i = 0; i < window->rows().size(); ++i)
                     if (window->rows()[i].item.fileName == file) {
                         w->openStored(window->logicalPath(), static_cast<int>(i));
                         break;
                     }
         },
         [&host, current, kindOf] {
             const store::FolderKind kind = kindOf();
             return !host.busy() && current() && !current()->selectedRows().empty() &&
                    (kind == store::FolderKind::Drafts || kind == store::FolderKind::OutBox ||
                     kind == store::FolderKind::Sent);
         }});
    commands.add(reading::folder_commands::kSendSelected,
                 {[w, current] {
                      if (reading::TinboxForm* window = current())
                          w->sending().sendSelectedRows(*window);
                  },
                  [&host, current, kindOf] {
                      const store::FolderKind kind = kindOf();
                      return !host.busy() && current() && !current()->selectedRows().empty() &&
                             (kind == store::FolderKind::OutBox || kind == store::FolderKind::Sent);
                  }});
    // Replying and forwarding on the message in front.
    registerReplyCommands(commands, std::make_shared<ReplyForward>(*windows), host);
    registerReadAcknowledgements(commands, std::make_shared<ReadAcknowledgements>(platform, host),
                                 host);
    return windows;
}

}  // namespace velmora::compose
