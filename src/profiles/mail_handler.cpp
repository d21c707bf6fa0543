#include "profiles/mail_handler.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "base/identity.h"
#include "base/text_file.h"
#include "profiles/profile.h"

extern char** environ;

namespace velmora::profiles {

namespace {

// A desktop entry's Exec argument: as it is when it needs no quoting (xdg-mime reads only
// unquoted programs), else quoted with its reserved characters escaped.
std::string quoteExecArgument(const std::string& argument) {
    if (!argument.empty() &&
        argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`=%") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string firstLine(const std::string& text) {
    return trimBlanks(text.substr(0, text.find_first_of("\r\n")));
}

}  // namespace

ProgramResult runProgram(const std::vector<std::string>& argv) {
    ProgramResult result;
    if (argv.empty()) return result;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return result;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // The shell's "command not found" (127): the program is not there.
    if (result.exitStatus == 127) result.exitStatus = -1;
    return result;
}

XdgMailHandlerRegistry::XdgMailHandlerRegistry(std::filesystem::path program, ProgramRunner runner)
    : program_(std::move(program)), runner_(std::move(runner)) {}

std::optional<std::string> XdgMailHandlerRegistry::currentHandler() {
    const ProgramResult r = runner_({"xdg-mime", "query", "default", kMailtoMimeType});
    if (r.exitStatus < 0) return std::nullopt;
    return firstLine(r.output);
}

bool XdgMailHandlerRegistry::setHandler(const std::string& desktopId, std::string& error) {
    const ProgramResult r = runner_({"xdg-mime", "default", desktopId, kMailtoMimeType});
    if (r.exitStatus == 0) return true;
    error = r.exitStatus < 0 ? "xdg-mime could not be started."
                             : "xdg-mime ended with status " + std::to_string(r.exitStatus) + ".";
    return false;
}

std::filesystem::path XdgMailHandlerRegistry::applicationsFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::filesystem::path(data) / "applications";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "applications";
}

std::string XdgMailHandlerRegistry::desktopEntry() const {
    return std::string("[Desktop Entry]\n") + "Type=Application\n" + "Name=" + kProductName + "\n" +
           "Comment=E-mail client\n" + "Exec=" + quoteExecArgument(program_.string()) + " %u\n" +
           "Terminal=false\n" + "Categories=Network;Email;\n" + "MimeType=" + kMailtoMimeType +
           ";\n";
}

bool XdgMailHandlerRegistry::installDesktopEntry(std::string& error) {
    const auto folder = applicationsFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) ec = writeFileAtomically(folder / kDesktopFileId, desktopEntry());
    if (ec) error = errorText(ec);
    return !ec;
}

void XdgMailHandlerRegistry::removeDesktopEntry() {
    std::error_code ignored;
    std::filesystem::remove(applicationsFolder() / kDesktopFileId, ignored);
}

bool switchDefaultMailProgram(bool on, OtherSettings& other, MailHandlerRegistry& registry,
                              platform::Dialogs& dialogs) {
    const std::string product = kProductName;
    const auto current = registry.currentHandler();
    if (on) {
        auto fail = [&](const std::string& why) {
            dialogs.warning(product,
                            "Unable to make " + product + " the default email client:\r\r" + why);
            return false;
        };
        if (!current) return fail("The desktop's xdg-mime program could not be run.");
        std::string error;
        if (!registry.installDesktopEntry(error)) return fail(error);
        if (*current == kDesktopFileId) {
            dialogs.information(product, product + " is already the default email client.");
            return true;
        }
        if (!registry.setHandler(kDesktopFileId, error)) return fail(error);
        other.previousMailHandler = *current;
        // With no handler before there is nothing to announce or to restore later.
        if (!current->empty())
            dialogs.information(product, product + " is now the default email client!");
        return true;
    }
    std::string error;
    const std::string previous = other.previousMailHandler;
    const bool restored = current && !previous.empty() && previous != kDesktopFileId &&
                          registry.setHandler(previous, error);
    registry.removeDesktopEntry();
    if (restored)
        dialogs.information(product,
                            "Previous default email client has been restored:\r\r" + previous);
    else
        dialogs.information(product,
                            "Default email client Registry data was not found.\r\r"
                            "Unable to restore previous default email client data.");
    return false;
}

}  // namespace velmora::profiles
