// The one place where the network clients meet the error classes and the numbered texts of the
// message-format module, so that every client raises them alike.
#pragma once

#include <string>

namespace velmora::net::internal {

// The text of a numbered error or socket code ("[10061] Connection refused", "Server property
// is required"); "Error #" and the code when the table has none.
std::string numberedText(int code);

[[noreturn]] void throwSocketError(const std::string& text);
[[noreturn]] void throwServerError(const std::string& text);
[[noreturn]] void throwTimedOut(const std::string& text);
[[noreturn]] void throwCanceled(const std::string& text);
[[noreturn]] void throwMessageError(const std::string& text);

}  // namespace velmora::net::internal
