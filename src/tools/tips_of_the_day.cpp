#include "tools/tips_of_the_day.h"

#include <array>

namespace velmora::tools {

namespace {

// Position 0 comes last in the turn: a fresh "tips.cfg" says tip 0 was shown last.
constexpr std::array<std::string_view, 21> kTips{
    "You can see these tips again at any time from Help, Tip Of The Day. Clear \"Show tips at "
    "start-up\" below to stop them appearing when the program starts.",
    "Start with Configure, User Profiles (F8): a profile holds your name, your address, your POP3 "
    "and SMTP servers and your login. Several people can share the program, each with a profile "
    "of their own.",
    "Headers (F2) fetches only the headers of the waiting mail. In the retrieve-headers window "
    "choose for each message whether to retrieve it, leave it on the server or delete it there, "
    "then choose Execute Action.",
    "Right-click the Messages button to change what it does: delete the mail on the server or "
    "leave it there, and retrieve all messages or only those under the size limit.",
    "Count asks the server how many messages wait, and how large they are, without retrieving "
    "anything.",
    "Rules (View, Rules & Filters) sort arriving mail: they look at the sender, the recipients, "
    "the subject or the body, and move, copy or delete the message.",
    "Messages are deleted on the server only after they are stored safely on your disk: a full "
    "disk or a dropped connection never loses mail.",
    "Every message is a plain text file in the home folder, one folder for each mail folder. A "
    "copy of the home folder is a backup of all your mail, address books and settings.",
    "Drag messages from a folder window onto a folder of the tree, or onto another folder "
    "window, to move them there.",
    "Edit, Find (Ctrl+F) searches the current message, every message of the current folder, or "
    "every open folder window.",
    "Edit, Spell Check Text (Ctrl+F7) checks the message you are writing or the note of a "
    "scratch pad, or only the text selected in it. The compose settings can check every message "
    "before it is sent.",
    "Type a nickname from an address book in the To, CC or BCC field of a message: it becomes "
    "the full address when you leave the field.",
    "Each profile keeps named signature blocks. \"Insert Signature Block At Cursor\" in the "
    "compose window adds one wherever you are typing.",
    "Move a message to OutBox to send it later. Select the waiting messages in the OutBox folder "
    "window and choose Send Message (F5); when the program ends it offers to send them too.",
    "Reply To Sender (F11) and Forward (F12) answer the message chosen in the folder window. "
    "The pop-up menu also replies without the message text, or from another profile.",
    "Previous (F6) and Next (F7) move through the messages of a folder, in the folder window and "
    "in a read window alike.",
    "A scratch pad (View, Scratch Pad) keeps free notes in text files of the home folder; open "
    "pads come back when the program starts again.",
    "Harvest Addresses (Mail menu) collects the senders or the recipients of the chosen messages "
    "into an address book, as one mailing list or as separate entries.",
    "View, JPEG Viewer shows the pictures of the Attach folder in the home folder, or of any "
    "folder and mounted volume, fitted to the window or at actual size.",
    "Mail can be fetched without windows, from cron for instance: velmora-cli --home DIR "
    "retrieve uses the same rules and folders as the program.",
    "Automatic mail checking (Configure, Settings, Mail, Misc) looks for new mail at the interval "
    "you set and tells you with a sound, a message box or the taskbar button.",
};

}  // namespace

std::span<const std::string_view> tipsOfTheDay() {
    return kTips;
}

int nextTipPosition(int position) {
    const int count = static_cast<int>(kTips.size());
    return position < 0 || position + 1 >= count ? 0 : position + 1;
}

int previousTipPosition(int position) {
    const int count = static_cast<int>(kTips.size());
    return position <= 0 || position >= count ? count - 1 : position - 1;
}

}  // namespace velmora::tools
