// The header lines of a message or a part, with the field lookups every module uses, and the
// small helpers that take header values apart.
//
// One entry per physical line, exactly as read or set; folded continuation lines are entries of
// their own that begin with a space or a tab. Lists filled by the decoder stop before the blank
// line that closes the header block.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace velmora::mime {

class TmsHeaders {
  public:
    TmsHeaders() = default;
    explicit TmsHeaders(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    std::vector<std::string>& Lines() { return lines_; }
    const std::vector<std::string>& Lines() const { return lines_; }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const {
        return lines_.at(static_cast<std::size_t>(index));
    }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }
    void Assign(const TmsHeaders& other) { lines_ = other.lines_; }
    auto begin() const { return lines_.begin(); }
    auto end() const { return lines_.end(); }

    // The value of the first field `name` (a ":" is added when missing; case-insensitive), with
    // its continuation lines joined by single spaces and trimmed. The one character after the
    // colon is always dropped ("Subject:Hello" gives "ello"). Encoded words are decoded and the
    // value cut at 255 bytes, except for Content-Type and X-UIDL, which come back as they are.
    // Empty when there is no such field.
    std::string GetFieldValue(std::string_view name) const;

    // The comma-separated entries of every field whose line begins with `name` (case-insensitive,
    // no colon added: "TO" also matches "Tokens:"), continuation lines included. Commas inside
    // double quotes do not split; each entry is trimmed and its encoded words decoded. An empty
    // piece between two commas gives an empty entry. At most kMaxAddressListEntries entries are
    // kept (limits.h): past them the list stops there and the result is false.
    bool GetFieldList(std::string_view name, std::vector<std::string>& list) const;
    std::vector<std::string> GetFieldList(std::string_view name) const;
    // The same entries with their encoded words as written, for a reader that converts their
    // character sets itself.
    std::vector<std::string> GetRawFieldList(std::string_view name) const;

    // Deletes the first field `name` (":" added when missing) with its continuation lines.
    void RemoveField(std::string_view name);

    // Deletes the first empty line and everything after it.
    void TruncateAtBlankLine();

  private:
    std::vector<std::string> lines_;
};

// Trims surrounding white space, then removes all leading and trailing double quotes.
std::string TrimQuotes(std::string_view text);

// The parameter `name` of a header value: found case-insensitively anywhere in the value (so
// "name" also matches inside "filename"); a quoted value runs to the next quote, otherwise to
// the next space; a trailing ";" is removed. Empty when the name is absent.
std::string GetHeaderParam(std::string_view name, std::string_view value);

// A file name parameter ("name", "filename") as mailers write it: like GetHeaderParam, but an
// unquoted value runs to the next ";" (names with blanks are often written unquoted), the
// RFC 2231 forms name*=charset'lang'text and name*0*=... name*1*=... are joined and their %XX
// escapes decoded, and encoded words are decoded. The name comes out in UTF-8, converted from the
// character set of its encoded words or of its RFC 2231 form (raw bytes beyond ASCII that are not
// UTF-8 read as windows-1252), and cut at 255 bytes between characters: it becomes a file name.
// Empty when the parameter is absent.
std::string GetFileNameParam(std::string_view name, std::string_view value);

// The value up to its first space or ";", trimmed ("text/plain" of "text/plain; charset=x").
std::string ContentTypeToken(std::string_view value);

// Without leading and trailing white space of any kind (blank, tab, CR, LF, FF, VT).
std::string_view trimWhite(std::string_view text);
// Cuts a text at 255 bytes.
std::string cutText(std::string_view text);

}  // namespace velmora::mime
