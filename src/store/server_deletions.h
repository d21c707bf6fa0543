// The server copies one profile is still to delete: the UIDLs of messages that were retrieved
// and left on the server and have since been deleted for good from Trash. The next retrieval of
// that profile sends DELE for those its server still lists, and once QUIT has gone through they
// leave the list.
//
// The file (profiles::serverDeletionsFilePath, "<profile>.dele" in the home folder) starts with
// the version line, then one UIDL a line. An identifier is appended and flushed to disk when
// its message is deleted, so a crash never forgets it; removing rewrites the file whole. A line
// cut short by a crash, or one that is not a valid identifier, is skipped when the file is read.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace velmora::store {

class ServerDeletions {
  public:
    // Reads the file; a missing file is an empty list. Never throws for damaged content.
    explicit ServerDeletions(std::filesystem::path file);

    // In the order they were queued, each once.
    const std::vector<std::string>& uidls() const { return uidls_; }

    // Queues an identifier (appended durably; one already queued is not added again). An
    // invalid identifier is refused with std::errc::invalid_argument.
    [[nodiscard]] std::error_code add(const std::string& uidl);

    // Drops `done` from the list as the file holds it now (entries queued since this object
    // read it stay) and rewrites it whole; an empty list removes the file.
    [[nodiscard]] std::error_code remove(const std::set<std::string>& done);

  private:
    void read();

    std::filesystem::path file_;
    std::vector<std::string> uidls_;
};

}  // namespace velmora::store
