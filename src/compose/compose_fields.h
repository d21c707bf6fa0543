// The fields of a compose window as one plain value: what building the outgoing message and
// filing read. The window hands out a snapshot (TcomposeForm::fields), so a send or a filing
// that waits on the network or a dialog works on the text as it stood when it began, whatever
// the user types meanwhile.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::compose {

enum class Priority { High, Normal, Low };

struct ComposeFields {
    std::string from;  // as typed; empty: the profile's name and address
    std::string replyTo;
    std::vector<std::string> to;  // one address text per line
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    std::string subject;
    std::string body;  // lines joined by line ends as the editor holds them
    std::vector<std::filesystem::path> attachments;  // full paths
    int sigBlockIndex = -1;                          // -1: none chosen
    Priority priority = Priority::Normal;
    bool closeAfterSending = false;
    bool deliveryAck = false;
    bool readAck = false;
    bool saveToSent = false;
    bool sendOnePer = false;
    // A reply's threading headers: the answered Message-ID, and the chain it belongs to.
    std::string inReplyTo;
    std::string references;

    bool operator==(const ComposeFields&) const = default;
};

}  // namespace velmora::compose
