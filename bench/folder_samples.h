// Folders of many rows for the benchmarks: a home folder per row count with an InBox index and
// one (empty) message file per row, made once per program run.
#pragma once

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "store/folder_index.h"
#include "store/list_item.h"
#include "store/message_file.h"
#include "support/temp_dir.h"

namespace velmora::bench {

inline store::FolderRow benchRow(int n) {
    store::FolderRow row;
    char name[32];
    std::snprintf(name, sizeof name, "2001.%02d.%02d.10.00.%02d.%03d", n % 12 + 1, n % 28 + 1,
                  n / 1000 % 60, n % 1000);
    row.item.fileName = name;
    row.item.senderName = "Sender " + std::to_string(n % 977);
    row.item.senderAddress = "sender" + std::to_string(n % 977) + "@example.org";
    row.item.mailDate = "Tue, 31 Jul 2001 15:30:45 +0200";
    char sortDate[16];
    std::snprintf(sortDate, sizeof sortDate, "2001%08d", n);  // in list order, as indexes are
    row.item.sortDate = sortDate;
    row.item.subject = "Re: the quarterly figures, part " + std::to_string(n);
    row.item.status = "R O r f a N";
    row.item.version = "4.6";
    row.text = store::makeRowText({row.item.status, "3.4", row.item.subject,
                                   row.item.senderName + " <" + row.item.senderAddress + ">",
                                   "me@example.org", "Tue, Jul 31 2001 15:30:45"});
    return row;
}

// One home folder per row count, made once: InBox.000 with its index and one (empty) message
// file per row, so that the count check finds the index in step with the folder.
inline const testing::TempDir& homeWithIndex(int rows) {
    static std::map<int, std::unique_ptr<testing::TempDir>> homes;
    auto& home = homes[rows];
    if (!home) {
        home = std::make_unique<testing::TempDir>();
        const auto inbox = *home / "InBox.000";
        std::filesystem::create_directories(inbox);
        std::vector<store::FolderRow> list;
        list.reserve(static_cast<std::size_t>(rows));
        for (int n = 0; n < rows; ++n) {
            list.push_back(benchRow(n));
            testing::writeFile(store::messageFilePath(inbox, list.back().item.fileName), "");
        }
        if (store::writeFolderIndexFile(inbox / "InBox.dat", list)) std::abort();
    }
    return *home;
}

}  // namespace velmora::bench
