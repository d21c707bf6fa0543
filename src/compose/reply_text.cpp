#include "compose/reply_text.h"

#include <algorithm>
#include <optional>

#include "base/text.h"
#include "compose/addresses.h"
#include "mime/address.h"
#include "reading/readable_text.h"
#include "store/message_file.h"

namespace velmora::compose {

namespace {

constexpr std::size_t kMaxSubject = 255;
constexpr const char* kPlaceholders[] = {"%FIRSTNAME%", "%LASTNAME%", "%FULLNAME%", "%NICKNAME%"};

std::vector<std::string> blankWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ') ++end;
        if (end > at) words.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

std::string withoutQuotes(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '"' && c != '\'') out += c;
    return std::string(trimmed(out));
}

std::string upTo(std::string_view text, char c) {
    return std::string(text.substr(0, text.find(c)));
}

bool startsWithQuote(std::string_view name) {
    return !name.empty() && (name[0] == '"' || name[0] == '\'');
}

// Every occurrence of `placeholder` replaced in one left-to-right pass: the inserted text is never
// searched again.
std::string replaceOnce(std::string_view text, std::string_view placeholder,
                        std::string_view value) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t found = text.find(placeholder); found != std::string_view::npos;
         found = text.find(placeholder, at)) {
        out.append(text.substr(at, found - at));
        out.append(value);
        at = found + placeholder.size();
    }
    out.append(text.substr(at));
    return out;
}

// Rule 4: the characters from the one before the first "%" through the last "%" removed.
std::string withoutPlaceholder(std::string_view templ) {
    const std::size_t first = templ.find('%');
    if (first == std::string_view::npos) return std::string(templ);
    const std::size_t last = templ.rfind('%');
    const std::size_t from = first == 0 ? 0 : first - 1;
    std::string out(templ);
    out.erase(from, last - from + 1);
    return out;
}

// Rule 3: without a name, the template's first word is taken off and stands in for it.
std::string withFirstWordAsName(std::string_view templ, std::string_view placeholder) {
    std::string_view rest = templ;
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    const std::size_t end = rest.find(' ');
    const std::string word(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return replaceOnce(rest, placeholder, word);
}

std::optional<std::string> firstNameOf(std::string_view name) {
    if (name.empty()) return std::nullopt;
    const auto words = blankWords(name);
    const std::size_t comma = name.find(',');
    if (startsWithQuote(name)) {
        std::string_view part = name;
        if (words.size() >= 2)
            part = name.substr(name.find(' ') + 1);
        else if (comma != std::string_view::npos)
            part = name.substr(comma + 1);
        const auto partWords = blankWords(part);
        std::string word = partWords.empty() ? std::string() : partWords.front();
        word = upTo(word, '"');
        return upTo(word, '\'');
    }
    if (comma != std::string_view::npos) return std::string(trimmed(name.substr(comma + 1)));
    return words.size() >= 2 ? words.front() : std::string(name);
}

std::optional<std::string> lastNameOf(std::string_view name) {
    if (name.empty()) return std::nullopt;
    const std::size_t comma = name.find(',');
    if (startsWithQuote(name)) return withoutQuotes(name.substr(0, comma));
    if (comma != std::string_view::npos) {
        const auto words = blankWords(name);
        return upTo(words.empty() ? std::string() : words.front(), ',');
    }
    const auto words = blankWords(name);
    if (words.size() < 2) return std::string(name);
    return std::string(name.substr(name.rfind(' ') + 1));
}

std::string fullNameOf(std::string_view name) {
    const std::size_t comma = name.find(',');
    if (comma == std::string_view::npos) return std::string(name);
    const std::string after = withoutQuotes(name.substr(comma + 1));
    const std::string before = withoutQuotes(name.substr(0, comma));
    return after + " " + before;
}

const AddressBookEntry* entryOf(std::string_view address,
                                const std::vector<AddressBookEntry>& book) {
    const std::string wanted(trimmed(address));
    if (wanted.empty()) return nullptr;
    for (const auto& entry : book)
        if (!entry.addresses.empty() && equalsNoCase(trimmed(entry.addresses.front()), wanted))
            return &entry;
    return nullptr;
}

}  // namespace

bool isForwardMode(ReplyMode mode) {
    return mode == ReplyMode::Forward || mode == ReplyMode::ForwardFrom ||
           mode == ReplyMode::ForwardAbuse;
}

bool isReplyAllMode(ReplyMode mode) {
    return mode == ReplyMode::ReplyToAll || mode == ReplyMode::ReplyToAllFrom;
}

bool usesChosenProfile(ReplyMode mode) {
    return mode == ReplyMode::ReplyToSenderFrom || mode == ReplyMode::ReplyToAllFrom ||
           mode == ReplyMode::ForwardFrom;
}

const char* captionWord(ReplyMode mode) {
    switch (mode) {
        case ReplyMode::ReplyToSender:
            return "Reply To Sender";
        case ReplyMode::ReplyToAll:
            return "Reply To All";
        case ReplyMode::ReplyToSenderFrom:
            return "Reply To Sender From";
        case ReplyMode::ReplyToAllFrom:
            return "Reply To All From";
        case ReplyMode::Forward:
            return "Forward";
        case ReplyMode::ForwardFrom:
            return "Forward From";
        case ReplyMode::ForwardAbuse:
            return "Forward";
    }
    return "Forward";
}

const char* windowKey(ReplyMode mode) {
    return isForwardMode(mode) ? "Compose.Forward" : "Compose.Reply";
}

// --- recipients -------------------------------------------------------------------------------

std::string cleanMessageName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '"' || c == '\'') continue;
        out += (c == '<' || c == '>' || c == '\r' || c == '\n' || c == '\0') ? ' ' : c;
    }
    out = std::string(trimmed(out));
    if (out.find(',') != std::string::npos) out = "\"" + out + "\"";
    return out;
}

std::string replyAddressEntry(std::string_view name, std::string_view address) {
    const std::string cleanName = cleanMessageName(name);
    std::string cleanAddress = oneLine(trimmed(address));
    std::erase_if(cleanAddress,
                  [](char c) { return c == '<' || c == '>' || c == ',' || c == '"'; });
    if (cleanAddress.find('@') == std::string::npos) {
        // Never a nickname of the user's own book: shown as an address to mend.
        const std::string shown = cleanName.empty() ? cleanAddress : cleanName;
        return shown.empty() ? kUnknownAddressEntry : shown + " " + kUnknownAddressEntry;
    }
    return cleanName.empty() ? cleanAddress : cleanName + " <" + cleanAddress + ">";
}

namespace {

std::string entryAddress(std::string_view entry) {
    return toLowerAscii(trimmed(mime::ParseMailAddress(entry).Address()));
}

void addUnique(std::vector<std::string>& entries, std::string entry) {
    const std::string address = entryAddress(entry);
    if (address.find('@') != std::string::npos &&
        std::any_of(entries.begin(), entries.end(),
                    [&](const std::string& e) { return entryAddress(e) == address; }))
        return;
    entries.push_back(std::move(entry));
}

}  // namespace

std::vector<std::string> replyToEntries(const mime::TmsMessage& message,
                                        std::string_view replyToValue, bool replyAll,
                                        std::string_view ownAddress) {
    std::vector<std::string> entries;
    if (!trimmed(replyToValue).empty()) {
        for (const std::string& piece : splitAddressEntries(replyToValue)) {
            if (trimmed(piece).empty()) continue;
            const mime::TmsMailAddress parsed = mime::ParseMailAddress(piece);
            addUnique(entries, replyAddressEntry(parsed.Name(), parsed.Address()));
        }
        return entries;
    }
    const mime::TmsMailAddress sender = reading::readableSenderOf(message);
    if (!trimmed(sender.Name()).empty() || !trimmed(sender.Address()).empty())
        entries.push_back(replyAddressEntry(sender.Name(), sender.Address()));
    if (!replyAll) return entries;
    for (const auto& to : reading::readableListOf(message, "TO:"))
        addUnique(entries, replyAddressEntry(to.Name(), to.Address()));
    const std::string own(trimmed(ownAddress));
    if (own.empty() || entries.size() < 2) return entries;
    const auto mine = std::find_if(entries.begin(), entries.end(), [&](const std::string& e) {
        return trimmed(mime::ParseMailAddress(e).Address()) == own;
    });
    if (mine != entries.end()) entries.erase(mine);
    return entries;
}

std::vector<std::string> replyCcEntries(const mime::TmsMessage& message,
                                        const std::vector<std::string>& to) {
    std::vector<std::string> entries = to;
    for (const auto& cc : reading::readableListOf(message, "CC:"))
        addUnique(entries, replyAddressEntry(cc.Name(), cc.Address()));
    entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(to.size()));
    return entries;
}

std::string replySubject(std::string_view subject, bool forward) {
    std::string text = std::string(forward ? "Fwd: " : "Re: ") + oneLine(subject);
    if (text.size() > kMaxSubject) text.resize(kMaxSubject);
    return text;
}

// --- greeting ------------------------------------------------------------------------------------

std::string getUserReplyGreeting(std::string_view templ) {
    return std::string(templ);
}

std::string getUserReplyFirstName(std::string_view templ, std::string_view name) {
    const auto first = firstNameOf(trimmed(name));
    if (!first) return withFirstWordAsName(templ, "%FIRSTNAME%");
    return replaceOnce(templ, "%FIRSTNAME%", *first);
}

std::string getUserReplyLastName(std::string_view templ, std::string_view name) {
    const auto last = lastNameOf(trimmed(name));
    if (!last) return withFirstWordAsName(templ, "%LASTNAME%");
    return replaceOnce(templ, "%LASTNAME%", *last);
}

std::string getUserReplyFullName(std::string_view templ, std::string_view name) {
    const std::string_view n = trimmed(name);
    if (n.find('@') != std::string_view::npos) return withoutPlaceholder(templ);
    return replaceOnce(templ, "%FULLNAME%", fullNameOf(n));
}

std::string getUserReplyNickName(std::string_view templ, std::string_view name,
                                 const AddressBookEntry* entry) {
    if (!entry) return withoutPlaceholder(templ);
    std::string nick(trimmed(entry->nickName));
    if (nick.size() > 1) nick[0] = upperAscii(nick[0]);
    // An entry without a nickname greets by the first name.
    if (nick.empty())
        return getUserReplyFirstName(replaceOnce(templ, "%NICKNAME%", "%FIRSTNAME%"), name);
    return replaceOnce(templ, "%NICKNAME%", nick);
}

std::string addGreeting(std::string_view templ, std::string_view name, std::string_view address,
                        const std::vector<AddressBookEntry>& book) {
    std::string shownName(trimmed(name));
    const AddressBookEntry* entry = entryOf(address, book);
    if (entry && !trimmed(entry->fullName).empty())
        shownName = std::string(trimmed(entry->fullName));
    std::string line(templ);
    for (const char* placeholder : kPlaceholders) {
        if (templ.find(placeholder) == std::string_view::npos) continue;
        const std::string_view p = placeholder;
        if (p == "%FIRSTNAME%")
            line = getUserReplyFirstName(templ, shownName);
        else if (p == "%LASTNAME%")
            line = getUserReplyLastName(templ, shownName);
        else if (p == "%FULLNAME%")
            line = getUserReplyFullName(templ, shownName);
        else
            line = getUserReplyNickName(templ, shownName, entry);
        break;
    }
    return oneLine(line);
}

// --- quoted text and body layout
// -------------------------------------------------------------------

std::vector<std::string> PrefixLines(const std::vector<std::string>& lines,
                                     std::string_view prefix) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const auto& line : lines) out.push_back(std::string(prefix) + line);
    return out;
}

BodyLayout layoutReplyBody(const BodyLayoutInput& in) {
    BodyLayout out;
    auto& lines = out.lines;
    auto empty = [&lines](int n) {
        lines.insert(lines.end(), static_cast<std::size_t>(n), std::string());
    };
    auto append = [&lines](const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
    };
    // "greeting": the line and one empty line in the reply modes, nothing in the forward modes.
    const bool greetingLine = in.greeting && in.reply;
    auto greeting = [&] {
        if (!greetingLine) return;
        lines.push_back(in.greetingLine);
        empty(1);
    };
    // The caret of the first layout row: line 3 of a reply with a greeting, line 1 of a forward.
    const int greetingCaret = in.reply ? 2 : 0;
    auto last = [&lines] { return lines.empty() ? 0 : static_cast<int>(lines.size()) - 1; };

    if (in.signatures) {
        if (!in.cursorAtEnd || !in.quote) {
            if (in.greeting) {
                greeting();
                empty(2);
                out.caretLine = greetingCaret;
            } else {
                empty(3);
                out.caretLine = 1;
            }
            append(in.signatureLines);
            if (in.quote) append(in.quoteLines);
            return out;
        }
        append(in.quoteLines);
        empty(2);
        if (in.greeting && in.reply) {
            lines.push_back(in.greetingLine);
            empty(2);
            out.caretLine = static_cast<int>(lines.size()) - 2;  // below the greeting line
        } else {
            out.caretLine = static_cast<int>(lines.size()) - 1;  // the middle one of three
        }
        empty(1);
        append(in.signatureLines);
        return out;
    }
    if (!in.cursorAtEnd) {
        if (in.greeting) {
            greeting();
            empty(2);
            out.caretLine = greetingCaret;
        } else if (in.quote) {
            empty(3);
            out.caretLine = 1;
        }
        if (in.quote) append(in.quoteLines);
        return out;
    }
    if (in.quote) {
        append(in.quoteLines);
        empty(1);
        if (in.greeting) {
            greeting();
            empty(1);
        } else {
            empty(2);
        }
    } else if (in.greeting) {
        greeting();
        empty(1);
    }
    out.caretLine = last();
    return out;
}

// --- forwards ----------------------------------------------------------------------------------

std::string abuseAddress(std::string_view senderAddress) {
    const std::string address = oneLine(trimmed(senderAddress));
    const std::size_t at = address.find('@');
    if (at == std::string::npos) return "abuse@???????.???";
    return "abuse" + address.substr(at);
}

void finishAbuseBody(std::vector<std::string>& lines) {
    for (int i = 0; i < 2 && !lines.empty() && lines.front().empty(); ++i)
        lines.erase(lines.begin());
    store::removePrivateBlockLines(lines);
}

std::vector<std::vector<std::string>> operatorBlocks(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> blocks;
    std::vector<std::string> open;
    bool inBlock = false;
    for (std::string line : lines) {
        if (line.find("Sender:") != std::string::npos && line == "Sender: ")
            line = "Sender: ???@???.???";
        if (!inBlock) {
            if (line.find("ERR") == std::string::npos) continue;
            inBlock = true;
            open = {line};
            continue;
        }
        open.push_back(line);
        if (line.find("Size") != std::string::npos) {
            blocks.push_back(std::move(open));
            open.clear();
            inBlock = false;
        }
    }
    return blocks;
}

}  // namespace velmora::compose
