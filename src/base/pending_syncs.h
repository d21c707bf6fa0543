// Files written without waiting for the disk, and the directories holding their names, made
// durable together later in one batch. Waiting for the disk once per file costs a full round
// of writing for each; starting each file's writeback as it is written (createFileAtomically
// in text_file.h) and flushing them all in a batch lets the disk work while the program
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
    // Open files kept for the batch at most; files beyond are opened again by name to be flushed.
    static constexpr std::size_t kMaxOpenFiles = 128;

    PendingSyncs() = default;
    ~PendingSyncs();
    PendingSyncs(const PendingSyncs&) = delete;
    PendingSyncs& operator=(const PendingSyncs&) = delete;

    // A file whose data may not be on disk yet; its directory is flushed with it. `bytes`
    // counts toward bytes(), so an owner can bound how much waits.
    void addFile(const std::filesystem::path& file, std::int64_t bytes = 0);
    // The same for a file just written through `fd`, which this takes over: it is flushed
    // through the descriptor, without looking the name up again.
    void addOpenFile(int fd, const std::filesystem::path& file, std::int64_t bytes = 0);
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
    struct File {
        std::filesystem::path path;
        int fd;  // -1 when it is to be opened by name
    };

    void closeOpenFiles();

    std::vector<File> files_;
    std::set<std::filesystem::path> directories_;
    std::int64_t bytes_ = 0;
    std::size_t openFiles_ = 0;
};

}  // namespace velmora
