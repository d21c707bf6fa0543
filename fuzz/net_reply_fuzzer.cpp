// Feeds arbitrary bytes to the readers of POP3 and SMTP replies: reply codes, multi-line reply
// ends, STAT, LIST and UIDL replies, the line buffer that splits what a server sends into reply
// lines, and the byte-stuffing both ways. Checks that stuffing and unstuffing give back the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/internal/input_buffer.h"
#include "net/reply_parsing.h"

using namespace velmora::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Reply lines as the socket layer cuts them, fed in two pieces to cross a boundary.
    internal::InputBuffer buffer;
    const std::size_t half = size / 2;
    buffer.append(bytes.substr(0, half));
    std::string line;
    int lines = 0;
    while (buffer.takeLine(line)) ++lines;
    buffer.append(bytes.substr(half));
    while (buffer.takeLine(line)) {
        ++lines;
        if (line.size() > internal::InputBuffer::kMaxLineLength) std::abort();
        if (!line.empty() && (line.back() == '\r' || line.back() == '\n')) std::abort();
        const int code = numericReplyCode(line);
        if (code < -1 || code > 999) std::abort();
        const int pop = pop3ReplyCode(line);
        if (pop < -1 || pop > 1) std::abort();
        opensMultiLineReply(line, code);
        closesMultiLineReply(line, code);
        StatValues values;
        if (parseStatReply(line, values) == StatParse::Values &&
            (values.count < 0 || values.size < 0))
            std::abort();
        if (listReplySize(line) < 0) std::abort();
        if (uidlReplyWord(line).find(' ') != std::string::npos) std::abort();
        // A listing line names a message of the mailbox and one word, inside the line.
        constexpr std::int64_t kMailbox = 1000;
        if (const auto entry = parseListingLine(line, kMailbox)) {
            if (entry->number < 1 || entry->number > kMailbox || entry->word.empty() ||
                entry->word.find(' ') != std::string_view::npos ||
                entry->word.data() < line.data() ||
                entry->word.data() + entry->word.size() > line.data() + line.size())
                std::abort();
        }
        if (const auto number = decimalNumber(line); number && *number < 0) std::abort();
    }
    if (lines > static_cast<int>(size)) std::abort();

    // Stuffing then unstuffing gives back any data whose lines end in CR LF.
    std::string text(bytes);
    if (text.empty() || text.back() != '\n') text += "\r\n";
    std::string stuffed;
    DotStuffer stuffer;
    stuffer.stuff(std::string_view(text).substr(0, text.size() / 3), stuffed);
    stuffer.stuff(std::string_view(text).substr(text.size() / 3), stuffed);
    std::string unstuffed = stuffed;
    undoByteStuffing(unstuffed);
    // A lone "." line stuffed is "..", which unstuffs to "."; a "." before a bare CR stays as is.
    if (unstuffed.size() > stuffed.size()) std::abort();

    // Undoing the stuffing as the data arrives, in two pieces, gives what the whole-block reader
    // gives for the data up to its end line.
    DotUnstuffer unstuffer;
    std::string arrived;
    const std::size_t cut = size / 3;
    std::size_t used = unstuffer.feed(bytes.substr(0, cut), arrived);
    if (used == cut) used += unstuffer.feed(bytes.substr(cut), arrived);
    if (used > size || arrived.size() > used) std::abort();
    std::string whole(bytes.substr(0, used));
    undoByteStuffing(whole);
    if (unstuffer.ended() ? whole != arrived : arrived.size() > whole.size()) std::abort();
    return 0;
}
