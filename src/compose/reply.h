// Replying and forwarding: compose windows filled from stored messages. The commands act on the
// message of the read window in front, or else on the selected rows of the current folder
// window; each answered message is loaded into an object of its own and handed, with the mode,
// the message-text flag, the profile and the header mode of the moment, to the window created
// for it, so a second command, a re-sort or a new preview during the waits never re-targets a
// window. The answered row is found again by its file name and marked read and replied (or
// forwarded) once its window has opened.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compose/compose_form.h"
#include "compose/reply_text.h"
#include "mime/message.h"
#include "platform/commands.h"
#include "platform/menu.h"
#include "profiles/profile_lists.h"
#include "reading/display_text.h"
#include "store/list_item.h"

namespace velmora::compose {

class ComposeWindows;

inline constexpr const char* kReplyToInUseText =
    "The sender of this mail message is using a Reply-To address.\r\rConfirm that this address is "
    "the one you want to reply to!";
// More windows than this from one selection are opened only after asking.
inline constexpr std::size_t kAskBeyondWindows = 10;

// Everything a reply or forward window is initialised from, fixed when the command runs.
struct ReplyRequest {
    ReplyMode mode = ReplyMode::ReplyToSender;
    MessageTextFlag flag = MessageTextFlag::TextOk;
    // The "(with message text)" commands quote even while "Include original message" is off.
    bool forceQuote = false;
    // For the "from" modes: the position of the chosen profile; -1 the active profile.
    int profilePosition = -1;
    reading::HeaderMode headerMode = reading::HeaderMode::Normal;
    std::string folder;  // the answered message's folder (logical path)
    std::filesystem::path folderDirectory;
    store::TObjListViewVLF item;  // its list item (file name, subject, attachment paths)
    std::shared_ptr<mime::TmsMessage>
        message;  // loaded for this window alone, private block removed
    // The operator forwards: the report block the window is made from.
    std::vector<std::string> block;
};

// The initialisation branch of a reply or forward window (run by TcomposeForm::initialise):
// From, Reply To and the signature of the profile, the recipients, the subject, the Body by its
// layout, the options, the forwarded attachments, the threading headers and the page.
bool initialiseReplyWindow(TcomposeForm& window, const ReplyRequest& request,
                           ComposeContext& context);

// The quoted text of a message (addOriginalText's lines): its display text in `mode` without
// any blind-copy line (BCC header lines are taken out of `message`) and with attachment lines
// naming the attachment instead of the file it is stored in, wrapped at `wrapWidth`, every line
// prefixed with `indent`.
std::vector<std::string> quotedLines(mime::TmsMessage& message, const store::TObjListViewVLF& item,
                                     reading::HeaderMode mode, int wrapWidth,
                                     const std::string& indent, platform::Dialogs& dialogs);

// addForwardingAttachments: the item's attachment files that are stored beside the message (in
// `folderDirectory`, a mail folder, regular files); any other path is reported as missing.
void addForwardingAttachments(TcomposeForm& window, const store::TObjListViewVLF& item,
                              const std::filesystem::path& folderDirectory,
                              platform::Platform& platform);

// The References value of a reply to `message`: its References and its Message-ID, at most
// kMaxReferences identifiers (the first and the latest ones).
inline constexpr std::size_t kMaxReferences = 20;
std::string referencesOf(const mime::TmsMessage& message);

class ReplyForward {
  public:
    explicit ReplyForward(ComposeWindows& windows);

    // openReplyWindows / openForwardWindows: one window per answered message, in ascending row
    // order. Nothing for Drafts, OutBox and Sent, or while mail is sent or retrieved. The number
    // of windows that opened.
    int openReplyWindows(ReplyMode mode, MessageTextFlag flag, bool forceQuote = false,
                         int profilePosition = -1);
    int openForwardWindows(ReplyMode mode, MessageTextFlag flag, int profilePosition = -1);
    // The "&Forward" command: with Shift or Ctrl held in a folder window, the operator forwards
    // of the preview text; otherwise an ordinary forward.
    void forwardCommand();
    // The operator forwards of report lines: "abuse message" windows go to OutBox at once,
    // "mis-spelled username message" windows stay open.
    int operatorForwards(const std::vector<std::string>& lines, MessageTextFlag flag);
    // Is there something to answer just now (a folder that may be answered, a row selected)?
    bool available() const;
    // The main window's "from different profile" entries leave the text out while Shift is held.
    MessageTextFlag textFlagOfKeys() const;

  private:
    struct Target {
        std::string folder;
        std::vector<std::string> files;
    };
    Target target() const;
    int open(ReplyMode mode, MessageTextFlag flag, bool forceQuote, int profilePosition);
    TcomposeForm* openWindow(ReplyRequest request);
    bool waitForWindow(TcomposeForm* window, bool reply);

    ComposeWindows& windows_;
};

// Registers "reply.sender", "reply.all", "reply.senderOpposite", "reply.allOpposite",
// "forward.message" and "forward.abuse", and the "from different profile" commands
// "reply.senderFrom.N", "reply.allFrom.N", "forward.from.N" (N the profile position).
void registerReplyCommands(platform::Commands& commands, std::shared_ptr<ReplyForward> replies,
                           ComposeHost& host);

// The main window's Mail menu entries of replying and forwarding, with the profile submenus;
// hidden while the current folder is Drafts, OutBox, Sent or Trash (`answerable` false).
platform::Menu replyMenuEntries(const platform::Commands& commands,
                                const profiles::ProfileLists& profiles, bool includeOriginal,
                                bool answerable = true);

}  // namespace velmora::compose
