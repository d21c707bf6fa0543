#include "reading/transfers.h"

#include "base/identity.h"
#include "base/text_file.h"

namespace velmora::reading {

void deletePermanently(TinboxForm& window, int row, FolderWindowHost& host,
                       ui::Platform& platform) {
    if (row < 0 || static_cast<std::size_t>(row) >= window.rowCount()) return;
    host.closeReadWindowsOf(window.logicalPath(), row);
    const store::TObjListViewVLF& item = window.rows()[static_cast<std::size_t>(row)].item;
    for (const auto& attachment : item.attachList) {
        std::error_code ignored;
        std::filesystem::remove(attachment, ignored);
    }
    if (!item.fileName.empty()) {
        std::error_code ec;
        const auto file = window.directory() / (item.fileName + ".vlf");
        if (!std::filesystem::remove(file, ec) && ec) {
            platform.system.beep();
            platform.dialogs.warning(kProductName, "Delete File Error 13447\r" + errorText(ec));
        }
    }
    window.removeRow(static_cast<std::size_t>(row));
    host.renumberReadWindowsAfter(window.logicalPath(), row);
    if (window.folderKind() == FolderKind::OutBox) platform.pause(ui::Milliseconds{500});
}

void emptyTrashFolder(TinboxForm& trash, FolderWindowHost& host, ui::Platform& platform) {
    const std::vector<int> rows = trash.selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        deletePermanently(trash, *it, host, platform);
}

}  // namespace velmora::reading
