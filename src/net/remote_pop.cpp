#include "net/remote_pop.h"

#include <algorithm>

#include "base/text_file.h"
#include "mime/errors.h"
#include "net/internal/errors_bridge.h"
#include "net/reply_parsing.h"
#include "net/transfer_limits.h"

namespace velmora::net {

namespace {

// The received text of a message without its final period line.
std::string_view withoutEndLine(std::string_view text) {
    if (text == kEndLine) return {};
    if (text.size() >= kEndLine.size() + 2 && text.substr(text.size() - 5) == "\r\n.\r\n")
        text.remove_suffix(kEndLine.size());
    return text;
}

}  // namespace

TmsRemoteInfoItem& TmsRemoteInfo::Add(std::unique_ptr<TmsRemoteInfoItem> item) {
    items_.push_back(std::move(item));
    return *items_.back();
}

void TmsRemotePOP::setMessageDirectory(const std::string& folder) {
    messageDirectory_ = folder;
    if (!messageDirectory_.empty() && messageDirectory_.back() != '/') messageDirectory_ += '/';
}

void TmsRemotePOP::fetchInfo(int index, TmsRemoteInfoItem& item, bool withIdentifier) {
    const std::string number = std::to_string(index + 1);
    if (withIdentifier) {
        sendCommand("UIDL " + number);
        if (ReadLine(LastReply) == 1) item.UIDL = uidlReplyWord(LastReply);
    }
    item.Size = listSize(index);
    command("TOP " + number + " 1");
    std::string text;
    ReceiveToStream(text, -1, messageSizeBound(item.Size));
    undoByteStuffing(text);
    item.Headers.Lines() = splitLines(withoutEndLine(text));
    item.Headers.TruncateAtBlankLine();
}

void TmsRemotePOP::UpdateInfo() {
    Connect();
    if (OnUpdatingInfo) OnUpdatingInfo(*this);
    RemoteInfo.Clear();
    for (std::int64_t index = 0; index < MessageCount(); ++index) {
        auto item = std::make_unique<TmsRemoteInfoItem>();
        // The identifier is kept too, so that the check before each action can use it.
        fetchInfo(static_cast<int>(index), *item, true);
        RemoteInfo.Add(std::move(item));
        if (OnNextInfoUpdated) OnNextInfoUpdated(*this, static_cast<int>(index));
    }
    if (!KeepConnected) Disconnect();
    if (OnInfoUpdated) OnInfoUpdated(*this);
}

void TmsRemotePOP::checkUnchanged(int index, const TmsRemoteInfoItem& stored) {
    TmsRemoteInfoItem current;
    fetchInfo(index, current, true);
    const bool sameIdentifier =
        stored.UIDL.empty() || current.UIDL.empty() || stored.UIDL == current.UIDL;
    if (!sameIdentifier || current.Size != stored.Size ||
        current.Headers.Lines() != stored.Headers.Lines())
        raiseSocketError(mime::kTextIdsDifferent);
}

void TmsRemotePOP::ExecuteActions() {
    if (RemoteInfo.Count() == 0) return;
    Connect();
    if (OnTransferringData) OnTransferringData(*this);
    for (int index = 0; index < RemoteInfo.Count(); ++index) {
        const TmsRemoteInfoItem& item = RemoteInfo.Items(index);
        if (item.Retrieve()) {
            checkUnchanged(index, item);
            RetrieveMessage(index);
        }
        if (item.Delete()) {
            checkUnchanged(index, item);
            DeleteMessage(index);
        }
    }
    if (OnDataTransfered) OnDataTransfered(*this);
    Disconnect();
}

void TmsRemotePOP::saveFile(int index, const internal::MessageFiles::Source& copy) {
    const std::filesystem::path folder = messageDirectory_.empty() ? "." : messageDirectory_;
    std::filesystem::path saved;
    if (const std::error_code error = files_.save(folder, index, copy, saved)) {
        const std::filesystem::path wanted =
            messageDirectory_ + "msg_" + std::to_string(index) + ".eml";
        internal::throwMessageError("Cannot save " + wanted.string() + ": " + errorText(error));
    }
    savedFiles_.push_back(saved);
}

void TmsRemotePOP::StoreMessage(int index, std::string& stream) {
    if (OnUserMessageSave) {
        OnUserMessageSave(*this, index, stream);
        return;
    }
    const std::string_view content = withoutEndLine(stream);
    saveFile(index, [content](const auto& write) { return write(content); });
}

void TmsRemotePOP::StoreReceived(int index, ReceivedText& text) {
    if (OnUserMessageSave) {
        TmsCustomPOP::StoreReceived(index, text);
        return;
    }
    // A received text always ends with its end line, alone or after a line end.
    const std::int64_t length =
        std::max<std::int64_t>(0, text.size() - static_cast<std::int64_t>(kEndLine.size()));
    saveFile(index, [&text, length](const auto& write) { return text.copy(length, write); });
}

void TmsRemotePOP::Logout() {
    if (files_.pending()) {
        if (const std::error_code error = files_.syncAll())
            internal::throwMessageError("Cannot save the retrieved messages: " + errorText(error));
    }
    TmsCustomPOP::Logout();
}

}  // namespace velmora::net
