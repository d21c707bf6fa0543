// Reading the parts of POP3 and SMTP replies the clients act on, and the transparency of the
// data both protocols carry (a line that starts with a period gets one more on the wire). Plain
// functions over text: they never fail on odd input and never read past it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::net {

// The first three characters as a decimal number ("250 ok" gives 250, "25" gives 25); -1 when
// the line is empty or they are not all digits.
int numericReplyCode(std::string_view line);

// 1 for a line starting with "+", -1 for one starting with "-", 0 for anything else.
int pop3ReplyCode(std::string_view line);

// True when `line` opens a multi-line numeric reply: a positive code followed by "-"
// ("250-first").
bool opensMultiLineReply(std::string_view line, int code);
// True when `line` is the last line of a multi-line reply of `code`: the same code followed by a
// space, or the code alone.
bool closesMultiLineReply(std::string_view line, int code);

struct StatValues {
    std::int64_t count = 0;
    std::int64_t size = 0;
};
enum class StatParse { Values, NoSize, NotNumbers };
// "+OK 2 320": after the indicator and its space, the text before the next space is the count
// and the word after it the size. A reply with only a count gives NoSize (the caller keeps its
// values); words that are not decimal numbers give NotNumbers.
StatParse parseStatReply(std::string_view line, StatValues& values);

// The size of a LIST reply "+OK 1 320": the text after the message number, read as a decimal
// number; 0 when it is not one (so "320 octets" gives 0).
std::int64_t listReplySize(std::string_view line);

// A whole word of decimal digits as a number; nullopt for anything else, a sign or an overflow.
std::optional<std::int64_t> decimalNumber(std::string_view word);

// One line of a multi-line LIST or UIDL listing ("2 320", "2 whqtswO00WBw418f9t5JxYwZ"): the
// message number and the word after it (blanks between skipped, cut at the next blank).
// nullopt when the number is not a decimal from 1 to `count`, or no word follows it.
struct ListingLine {
    std::int64_t number = 0;
    std::string_view word;
};
std::optional<ListingLine> parseListingLine(std::string_view line, std::int64_t count);

// The identifier of a UIDL reply "+OK 1 whqtswO00WBw418f9t5JxYwZ": the third word, up to the
// next space; empty when there is none.
std::string uidlReplyWord(std::string_view line);

// Undoes a server's byte-stuffing in place: every line that begins with a period followed by
// more text loses that period ("..x" becomes ".x", ".." becomes "."). A line of a single period
// (the end line) stays.
void undoByteStuffing(std::string& text);

// The line that ends a multi-line reply; a received message's text keeps it.
inline constexpr std::string_view kEndLine = ".\r\n";

// Undoes the byte-stuffing of a block that ends with a line of a single period, as it arrives
// piece by piece: the same result as undoByteStuffing over the whole block, found without
// holding it. The end is CR LF "." CR LF, or "." CR LF at the very start (an empty block).
class DotUnstuffer {
  public:
    // Appends the unstuffed form of `bytes` to `out`, up to and including the end line. Returns
    // how many bytes of `bytes` it used: all of them, or fewer when the end line came (the rest
    // belongs to the next reply). Nothing is used once ended() is true.
    std::size_t feed(std::string_view bytes, std::string& out);
    bool ended() const { return state_ == State::Ended; }

  private:
    enum class State { LineStart, Dot, DotReturn, InLine, Ended };
    State state_ = State::LineStart;
    // The line that starts now follows CR LF (or the start): only such a line can end the data.
    bool afterLineBreak_ = true;
    bool lastWasReturn_ = false;
};

// Adds the byte-stuffing of SMTP data block by block: every line that begins with a period gets
// one more, so lines of a single period and lines like ".x" arrive unchanged. Lines start at the
// beginning of the data and after each line feed.
class DotStuffer {
  public:
    // Appends the stuffed form of `block` to `out`.
    void stuff(std::string_view block, std::string& out);
    // True when the bytes so far are empty or end with a line feed.
    bool atLineStart() const { return atLineStart_; }

  private:
    bool atLineStart_ = true;
};

}  // namespace velmora::net
