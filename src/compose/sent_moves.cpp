#include "compose/sent_moves.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/identity.h"
#include "base/pending_syncs.h"
#include "base/text_file.h"
#include "compose/filing.h"
#include "reading/transfers.h"
#include "store/message_file.h"

namespace velmora::compose {

void moveDeliveredToSent(reading::TinboxForm& outbox, reading::TinboxForm& sent,
                         const std::vector<std::string>& fileNames,
                         reading::FolderWindowHost& folders, platform::Platform& platform) {
    std::vector<int> linked;  // rows moved by a link
    std::vector<int> copied;  // rows the folder window's move takes
    for (const std::string& name : fileNames) {
        const int row = findRowByFileName(outbox, name);
        if (row < 0) continue;
        const auto& item = outbox.rows()[static_cast<std::size_t>(row)].item;
        const auto from = store::messageFilePath(outbox.directory(), item.fileName);
        const auto to = store::messageFilePath(sent.directory(), item.fileName);
        // link() never replaces an existing file, so a taken name simply goes the other way.
        if (item.attachList.empty() && ::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) != 0) {
                std::error_code ignored;  // keep the one copy in OutBox rather than two
                std::filesystem::remove(to, ignored);
                copied.push_back(row);
                continue;
            }
            linked.push_back(row);
        } else {
            copied.push_back(row);
        }
    }

    if (!linked.empty()) {
        std::sort(linked.begin(), linked.end(), std::greater<>());
        std::vector<store::FolderRow> rows;
        std::vector<std::size_t> remove;
        for (const int row : linked) {
            folders.closeReadWindowsOf(outbox.logicalPath(), row);
            folders.renumberReadWindowsAfter(outbox.logicalPath(), row);
            rows.push_back(outbox.rows()[static_cast<std::size_t>(row)]);
            remove.push_back(static_cast<std::size_t>(row));
        }
        outbox.removeRows(std::move(remove));
        outbox.setIndexDirty();
        std::reverse(rows.begin(), rows.end());
        sent.addRows(std::move(rows));
        sent.sortRows();
        sent.setIndexDirty();
        PendingSyncs durable;
        durable.addDirectory(outbox.directory());
        durable.addDirectory(sent.directory());
        if (auto ec = durable.syncAll())
            platform.dialogs.warning(kProductName, "File I/O Error\r" + errorText(ec));
    }

    if (!copied.empty()) {
        // The linked rows are gone, so the names still in OutBox are exactly the copied ones.
        for (std::size_t row = 0; row < outbox.rowCount(); ++row) outbox.setSelected(row, false);
        for (const std::string& name : fileNames)
            if (const int row = findRowByFileName(outbox, name); row >= 0)
                outbox.setSelected(static_cast<std::size_t>(row), true);
        reading::transferSelected(outbox, sent, reading::kMoveOptions, folders, platform);
    }
    outbox.updateCaption();
    sent.updateCaption();
    folders.folderWindowChanged(outbox);
    folders.folderWindowChanged(sent);
}

}  // namespace velmora::compose
