// The folder directories that gained files in a session. Each file is flushed when it is written
// (writeFileAtomically); the directories that hold the new names are flushed in one batch before
// the session's QUIT, the moment the server carries out its deletions, so a message is never
// deleted on the server before its files are safely on disk.
#pragma once

#include <filesystem>
#include <set>
#include <system_error>

namespace velmora::retrieval {

class DurableFolders {
  public:
    void add(const std::filesystem::path& directory) { pending_.insert(directory); }
    bool pending() const { return !pending_.empty(); }
    // Flushes every directory added since the last call; the first error is returned and the
    // set emptied either way.
    [[nodiscard]] std::error_code syncAll();

  private:
    std::set<std::filesystem::path> pending_;
};

}  // namespace velmora::retrieval
