// The bounds of the message-format module, in one place. The texts of the message model are cut
// at kMaxTextLength; the decoder's limits keep hostile input from exhausting memory, temporary
// files or time: past one of them it ends with its error notice, so the original text is kept.
#pragma once

#include <cstddef>

namespace velmora::mime {

// Names, addresses, subjects, file names and content types held by the model.
inline constexpr std::size_t kMaxTextLength = 255;

// Attachments of one message; each holds a temporary file.
inline constexpr std::size_t kMaxAttachments = 10'000;

// Lines of one header block (message or part), and its bytes: a real header has a few dozen.
inline constexpr std::size_t kMaxHeaderLines = 10'000;
inline constexpr std::size_t kMaxHeaderBytes = 4 * 1024 * 1024;

// Entries of one address field (To, CC, BCC, and any comma-separated list of GetFieldList):
// each costs a string and an address object, so a header of commas alone could otherwise take
// a hundred times its size. Far more than a real mailing carries.
inline constexpr std::size_t kMaxAddressListEntries = 10'000;

// Lines of the text body: each costs a string object, so a text of empty lines could otherwise
// take many times its own size.
inline constexpr std::size_t kMaxBodyLines = 1'000'000;

// Texts of the error notices for these limits.
inline constexpr const char* kTextTooManyAttachments = "The message has too many attachments";
inline constexpr const char* kTextHeaderTooLarge = "The header of the message is too large";
inline constexpr const char* kTextBodyTooLarge = "The text of the message has too many lines";
inline constexpr const char* kTextTooManyRecipients = "The message has too many recipients";

}  // namespace velmora::mime
