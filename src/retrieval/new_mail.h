// The "New Mail" selector of the profile toolbar: after a retrieval, the folders that received
// messages, each with the index of the row that was last in it before the first new message;
// after an automatic check, one count entry ("*** 2 Messages"). Choosing a folder entry shows
// that folder's first new row.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::retrieval {

inline constexpr const char* kCountEntryPrefix = "*** ";

class NewMailList {
  public:
    struct Entry {
        std::string text;    // what the selector shows
        std::string folder;  // logical path; empty for a count entry
        int lastRow = -1;    // the folder's last row before its first new message
    };

    const std::vector<Entry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    int selected() const { return selected_; }
    void select(int index);

    void clear();
    const Entry* find(const std::string& folder) const;
    // Adds a folder that received its first message of the session (nothing when listed).
    void addFolder(const std::string& folder, int lastRow);
    // The single count entry of an automatic check, selected.
    void setCountEntry(const std::string& text);
    bool startsWithCountEntry() const;

  private:
    std::vector<Entry> entries_;
    int selected_ = -1;
};

}  // namespace velmora::retrieval
