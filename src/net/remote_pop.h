// Looking at a POP3 mailbox before downloading: UpdateInfo fetches the size and the header lines
// of every message on the server; the user marks each message to be retrieved, deleted, both or
// neither; ExecuteActions carries the marks out in a later session. Retrieved messages are not
// decoded here: each is handed to OnUserMessageSave as raw text, or saved as a file.
//
// Before each action the message's data are fetched again and compared with what the user saw
// (size, header lines, and the unique identifier whenever the server gives one), so that no
// message other than the one inspected and marked is retrieved or deleted when another program
// changed the mailbox in between; a mismatch raises ESocketError "IDs are different" before
// anything is done to that message.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mime/headers.h"
#include "net/internal/message_files.h"
#include "net/pop3.h"

namespace velmora::net {

struct TmsRemoteInfoItem {
    static constexpr std::uint8_t kRetrieve = 0x01;
    static constexpr std::uint8_t kDelete = 0x02;

    std::uint8_t Flags = 0;
    std::int64_t Size = 0;     // octets, from LIST
    mime::TmsHeaders Headers;  // the header lines from TOP n 1, cut at the first empty line
    std::string UIDL;          // the unique identifier; empty when the server gives none

    bool Retrieve() const { return (Flags & kRetrieve) != 0; }
    bool Delete() const { return (Flags & kDelete) != 0; }
};

// Item i describes server message number i + 1.
class TmsRemoteInfo {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    TmsRemoteInfoItem& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    const TmsRemoteInfoItem& Items(int index) const {
        return *items_.at(static_cast<std::size_t>(index));
    }
    TmsRemoteInfoItem& Add(std::unique_ptr<TmsRemoteInfoItem> item);
    void Clear() { items_.clear(); }

  private:
    std::vector<std::unique_ptr<TmsRemoteInfoItem>> items_;
};

using TmsUserMsgSaveEvent = std::function<void(TagSocket& sender, int Num, std::string& Contents)>;

class TmsRemotePOP : public TmsCustomPOP {
  public:
    using TmsCustomPOP::TmsCustomPOP;

    TmsNotifyEvent OnUpdatingInfo;
    TmsNotifyEvent OnInfoUpdated;
    TmsNotifyEvent OnTransferringData;
    TmsNotifyEvent OnDataTransfered;
    TmsNumNotifyEvent OnNextInfoUpdated;
    // Takes each retrieved message (the raw text, end line included) instead of the file.
    TmsUserMsgSaveEvent OnUserMessageSave;
    bool KeepConnected = false;

    TmsRemoteInfo RemoteInfo;

    const std::string& MessageDirectory() const { return messageDirectory_; }
    // The files saved in this object's life, in order (for a caller to report them).
    const std::vector<std::filesystem::path>& SavedFiles() const { return savedFiles_; }
    // A non-empty folder without a trailing "/" gets one; an empty text stays empty.
    void setMessageDirectory(const std::string& folder);

    // Connects (log-in and STAT), fires OnUpdatingInfo, clears RemoteInfo and adds one item per
    // message (UIDL when the server knows it, LIST, TOP n 1), firing OnNextInfoUpdated after
    // each; unless KeepConnected, disconnects; fires OnInfoUpdated. On an error the items added
    // so far stay and the error propagates.
    void UpdateInfo();
    void MarkForRetrieval(int index) {
        RemoteInfo.Items(index).Flags |= TmsRemoteInfoItem::kRetrieve;
    }
    void MarkForDeletion(int index) { RemoteInfo.Items(index).Flags |= TmsRemoteInfoItem::kDelete; }
    // With no items does nothing. Otherwise connects, fires OnTransferringData, and for each
    // item in order retrieves it (when marked) and deletes it (when marked), each after checking
    // the server's current data for it; fires OnDataTransfered and disconnects.
    void ExecuteActions();

  protected:
    // OnUserMessageSave when assigned; otherwise the message, without its end line, is written
    // to MessageDirectory + "msg_" + index + ".eml", or the next free number when that name is
    // taken (nothing is ever replaced: internal/message_files.h). A file that cannot be
    // written raises EMessageError naming it.
    void StoreMessage(int index, std::string& stream) override;
    // The same, straight from the received text when no handler takes it, so a large message
    // goes from its temporary file to its own without passing through memory.
    void StoreReceived(int index, ReceivedText& text) override;
    // The files saved in this session are flushed to disk before QUIT, which makes the server
    // carry out deletions; when that fails, EMessageError is raised and no QUIT is sent.
    void Logout() override;

  private:
    // UIDL (when asked; a negative reply is ignored), LIST and TOP n 1 of message `index`.
    void fetchInfo(int index, TmsRemoteInfoItem& item, bool withIdentifier);
    void checkUnchanged(int index, const TmsRemoteInfoItem& stored);

    void saveFile(int index, const internal::MessageFiles::Source& copy);

    std::string messageDirectory_;
    internal::MessageFiles files_;
    std::vector<std::filesystem::path> savedFiles_;
};

}  // namespace velmora::net
