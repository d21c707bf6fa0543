// The list item of one stored message: everything a folder list, the compose window and the
// senders need without opening the message file. Each field matches one private header of the
// message file; the folder index stores the items of a folder between runs.
#pragma once

#include <string>
#include <vector>

namespace velmora::store {

struct TObjListViewVLF {
    std::string fileName;        // message file name without ".vlf"
    std::string senderName;
    std::string senderAddress;
    int attachCount = 0;
    std::vector<std::string> attachList;  // full paths of the attachment files
    std::string mailDate;        // date text of the message
    std::string sortDate;        // yyyymmddhhmmss
    std::string subject;
    std::string status;          // eleven characters, e.g. "U O r f a N"
    std::string readAckStatus = "null";  // "null", "ask", "yes", "no" or "later"
    std::string priority = "3 (normal)";
    std::string version;
    int bccCount = 0;
    std::vector<std::string> bccList;
    int sigBlockIndex = 0;
    bool closeAfterSending = false;
    bool deliveryAck = false;
    bool readAck = false;
    bool saveToSent = false;
    bool sendOnePerRecipient = false;
    std::string composeFrom;
    std::string composeReplyTo;
    std::string composeOrganization;

    bool operator==(const TObjListViewVLF&) const = default;
};

// One row of a folder list: the six column texts joined by tabs, with its item.
struct FolderRow {
    std::string text;
    TObjListViewVLF item;
};

}  // namespace velmora::store
