// The general error report: an error that no window handles ends the command or event that
// raised it, and is shown in an error box titled with the application's current title; the
// program goes on. A silent abort shows nothing.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace velmora::platform {
class Dialogs;
}

namespace velmora::core {

// Thrown to end a command without any message.
class SilentAbort : public std::exception {
  public:
    const char* what() const noexcept override { return ""; }
};

// The text as the error box shows it: "." appended when the text is not empty and its last
// character sorts after ".".
std::string generalErrorText(const std::string& text);

// Runs one command or event handler; an exception that leaves it is reported and swallowed.
// Returns false when the command ended with an error.
bool runReported(platform::Dialogs& dialogs, const std::string& applicationTitle,
                 const std::function<void()>& command);

}  // namespace velmora::core
