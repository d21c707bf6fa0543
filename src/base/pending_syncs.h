// Files written without waiting for the disk, and the directories holding their names, made
// durable together later in one batch. Waiting for the disk once per file costs a full round
// of writing for each; starting each file's writeback as it is written (writeFileAtomically
// with a PendingSyncs) and flushing them all in a batch lets the disk work while the program
// goes on, and the batch then mostly finds the data written.
//
// The owner decides when durability matters and calls syncAll before it: a mail client before
// the server deletes what it retrieved (QUIT) or before recording a message as fetched.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

namespace velmora {

class PendingSyncs {
  public:
    // A file whose data may not be on disk yet; its directory is flushed with it. `bytes`
    // counts toward bytes(), so an owner can bound how much waits.
    void addFile(const std::filesystem::path& file, std::int64_t bytes = 0);
    // A directory whose entries changed (a name added, renamed or removed).
    void addDirectory(const std::filesystem::path& directory);

    bool pending() const { return !files_.empty() || !directories_.empty(); }
    std::size_t fileCount() const { return files_.size(); }
    std::int64_t bytes() const { return bytes_; }

    // Flushes every file added since the last call, then every directory, to disk. The first
    // error is returned (a file removed meanwhile is no error: nothing of it is left to keep);
    // the lists are emptied either way.
    [[nodiscard]] std::error_code syncAll();

  private:
    std::vector<std::filesystem::path> files_;
    std::set<std::filesystem::path> directories_;
    std::int64_t bytes_ = 0;
};

}  // namespace velmora
