#include "retrieval/new_mail.h"

namespace velmora::retrieval {

void NewMailList::select(int index) {
    if (index >= -1 && index < static_cast<int>(entries_.size())) selected_ = index;
}

void NewMailList::clear() {
    entries_.clear();
    selected_ = -1;
}

const NewMailList::Entry* NewMailList::find(const std::string& folder) const {
    for (const auto& entry : entries_)
        if (!entry.folder.empty() && entry.folder == folder) return &entry;
    return nullptr;
}

void NewMailList::addFolder(const std::string& folder, int lastRow) {
    if (find(folder)) return;
    // A count entry of an automatic check gives way to the folders that received mail.
    if (startsWithCountEntry()) clear();
    entries_.push_back({folder, folder, lastRow});
    if (selected_ < 0) selected_ = 0;
}

void NewMailList::setCountEntry(const std::string& text) {
    entries_.assign(1, {text, "", -1});
    selected_ = 0;
}

bool NewMailList::startsWithCountEntry() const {
    return !entries_.empty() && entries_.front().text.rfind(kCountEntryPrefix, 0) == 0;
}

}  // namespace velmora::retrieval
