// Uuencode: lines of up to 45 bytes, each led by the character of its byte count, as found in
// non-MIME messages ("begin 644 name" ... "`" "end") and in "x-uue" parts.
#pragma once

#include <string>
#include <string_view>

namespace velmora::mime {

// The line for at most 45 bytes: the length character, then four characters per three bytes
// with no padding of a final partial group (60 data characters for 45 bytes). Zero bytes give
// the grave accent alone.
std::string encodeUuLine(std::string_view bytes);

// The bytes of one line: as many as its length character says, but never more than its data
// characters hold (six bits each), so the decoded size never exceeds three quarters of the
// encoded text. The grave accent and the blank are 0; any other character outside "!" to "_"
// raises EMessageParserError "Invalid Character".
std::string decodeUuLine(std::string_view line);
void decodeUuLineTo(std::string_view line, std::string& out);

// A begin line: "begin" in any case, longer than 8 characters, and after it three digits of a
// file mode ("begin 644 report.doc").
bool isUuBeginLine(std::string_view line);

// The file name of a begin line: the text after the mode and a space, up to the next space, or
// inside double quotes. Empty when there is none.
std::string uuBeginLineFileName(std::string_view line);

}  // namespace velmora::mime
