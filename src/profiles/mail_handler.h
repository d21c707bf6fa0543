// The desktop's handler of "mailto:" links, for "Make Velmora default mail program". On Linux the
// handler is a desktop entry: this program installs its own ("velmora.desktop" in the user's
// applications folder, $XDG_DATA_HOME/applications or ~/.local/share/applications) and makes it
// the default for x-scheme-handler/mailto with xdg-mime. The previous handler is remembered in
// line 2 of other.cfg and restored when the option is switched off.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "profiles/settings.h"

namespace velmora::profiles {

inline constexpr const char* kDesktopFileId = "velmora.desktop";
inline constexpr const char* kMailtoMimeType = "x-scheme-handler/mailto";

// The platform side, replaceable in tests.
class MailHandlerRegistry {
  public:
    virtual ~MailHandlerRegistry() = default;
    // The current default handler's desktop id; "" when none is set; nullopt when the desktop's
    // registry cannot be asked (no xdg-mime).
    virtual std::optional<std::string> currentHandler() = 0;
    // Makes `desktopId` the default; false (with `error` set) when that failed.
    virtual bool setHandler(const std::string& desktopId, std::string& error) = 0;
    // Installs or removes this program's desktop entry.
    virtual bool installDesktopEntry(std::string& error) = 0;
    virtual void removeDesktopEntry() = 0;
};

// The result of running a program: its exit status (-1 when it could not be started) and what
// it printed on standard output.
struct ProgramResult {
    int exitStatus = -1;
    std::string output;
};
using ProgramRunner = std::function<ProgramResult(const std::vector<std::string>& argv)>;

// Runs `argv` (the program looked up on PATH) without a shell and collects its standard output.
ProgramResult runProgram(const std::vector<std::string>& argv);

// The registry of a freedesktop.org desktop, through xdg-mime.
class XdgMailHandlerRegistry final : public MailHandlerRegistry {
  public:
    // `program` is the executable that mailto: links should start.
    explicit XdgMailHandlerRegistry(std::filesystem::path program,
                                    ProgramRunner runner = runProgram);

    std::optional<std::string> currentHandler() override;
    bool setHandler(const std::string& desktopId, std::string& error) override;
    bool installDesktopEntry(std::string& error) override;
    void removeDesktopEntry() override;

    // Where the desktop entry goes: $XDG_DATA_HOME/applications, else ~/.local/share/applications.
    static std::filesystem::path applicationsFolder();
    // The desktop entry's text.
    std::string desktopEntry() const;

  private:
    std::filesystem::path program_;
    ProgramRunner runner_;
};

// Switches the option as the user clicked it, with the messages of the Other page. Returns the
// option's value afterwards: switching on stays off when the handler could not be set.
bool switchDefaultMailProgram(bool on, OtherSettings& other, MailHandlerRegistry& registry,
                              platform::Dialogs& dialogs);

}  // namespace velmora::profiles
