// The text of a loaded message made readable for display: its lines converted from the message's
// character set to UTF-8 (mime/readable_text.h does the converting). Display only: the stored
// bytes never change.
#pragma once

#include <string>
#include <vector>

#include "mime/message.h"
#include "mime/readable_text.h"

namespace velmora::reading {

using mime::isValidUtf8;
using mime::readableBytes;
using mime::readableHeaderValue;
using mime::toUtf8;
using mime::windows1252ToUtf8;

// The character set the text of a loaded message is in: the charset its body text was declared
// in (of the message or of its text part), else the charset parameter of its Content-Type,
// "ISO-2022-JP" for a message the decoder found in it, or "" when none is declared.
std::string messageCharset(const mime::TmsMessage& message);

// The display lines of a message (preview or read window, before wrapping) made readable: the
// "Subject: " line from the raw Subject header, the other header lines as readableBytes, the
// body in the message's character set.
std::vector<std::string> readableLines(const std::vector<std::string>& lines,
                                       const mime::TmsMessage& message);

// The sender of a loaded message with its name in UTF-8, read from the From line as written, so
// a name in ISO-2022-JP or KOI8-R reads right; the model's sender when there is no From line.
mime::TmsMailAddress readableSenderOf(const mime::TmsMessage& message);
// The entries of the "TO:", "CC:" or "BCC:" field read the same way; the model's list when the
// message has no such line.
mime::TmsAddressList readableListOf(const mime::TmsMessage& message, std::string_view field);

}  // namespace velmora::reading
