// The failures of the message-format and network modules, and the one table of numbered texts
// (57000 to 57118, and the socket codes 10004 to 11004) they are reported with.
//
// Every class carries only its text (what()), which is what the user is shown. The decoder turns
// EMessageParserError into its error notice; the other classes reach the caller.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::mime {

// Common base, so a caller can catch every mail failure at once.
class EMailError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A socket or host-lookup failure, or a numbered error of the mail clients.
class ESocketError : public EMailError {
  public:
    using EMailError::EMailError;
};

// A negative reply of the server; the text is the server's reply line.
class EServerError : public EMailError {
  public:
    using EMailError::EMailError;
};

// The time-out of a network wait ran out ("Operation timed out").
class ETimedOutError : public EMailError {
  public:
    using EMailError::EMailError;
};

// The user canceled a network operation ("Operation has been canceled").
class ECanceledError : public EMailError {
  public:
    using EMailError::EMailError;
};

// A message lacks a field it needs to be sent (57100, 57101).
class EMessageError : public EMailError {
  public:
    using EMailError::EMailError;
};

// The text of a message cannot be taken apart ("Invalid Character", 57109 to 57111).
class EMessageParserError : public EMailError {
  public:
    using EMailError::EMailError;
};

// The socket library cannot be used ("Winsock not found", "Function %s not found").
class EWinsockDLLError : public EMailError {
  public:
    using EMailError::EMailError;
};

// Numbers of the texts the program raises by number.
inline constexpr int kTextTimedOut = 57000;
inline constexpr int kTextCanceled = 57001;
inline constexpr int kTextServerRequired = 57002;
inline constexpr int kTextInvalidWinsockVersion = 57003;
inline constexpr int kTextErrorResolvingHost = 57004;
inline constexpr int kTextServiceNameRequired = 57005;
inline constexpr int kTextNotConnected = 57008;
inline constexpr int kTextFunctionNotFound = 57010;  // holds "%s" for the function's name
inline constexpr int kTextWinsockNotLoaded = 57011;
inline constexpr int kTextWinsockNotFound = 57012;
inline constexpr int kTextSenderRequired = 57100;
inline constexpr int kTextRecipientRequired = 57101;
inline constexpr int kTextMailMessageRequired = 57102;
inline constexpr int kTextUserNameRequired = 57103;
inline constexpr int kTextPasswordRequired = 57104;
inline constexpr int kTextIdsDifferent = 57105;
inline constexpr int kTextNoClosingBoundary = 57109;
inline constexpr int kTextNoBoundary = 57110;
inline constexpr int kTextAttachmentDecodingError = 57111;

// The text of a numbered error or socket code, as the table holds it: "Operation timed out" for
// 57000, "[10061] Connection refused" for 10061 (socket codes carry their number in brackets;
// code 0 reads "[0] No Error"). nullopt for a number the table does not know.
std::optional<std::string_view> findNumberedText(int number);

// The same, with the program's fallback for an unknown number: "Error #" and the number
// ("Error #12345").
std::string numberedText(int number);

}  // namespace velmora::mime
