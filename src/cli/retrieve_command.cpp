// velmora-cli retrieve: the retrieval sessions of the desktop program without windows, so mail
// can be fetched from cron.
//   retrieve [--profile NAME] [--mode count|all|filtered] [--progress]
// Messages are stored into the folders by the rules, and the folders' indexes are updated. The
// mode defaults to the Messages setting (all, or size-filtered). The password comes from the
// profile, else from the environment variable VELMORA_PASSWORD, else from a prompt on the
// terminal. Exit status 0 on success, 1 with the error text on failure.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <ostream>

#include "cli/command.h"
#include "retrieval/standalone_retrieval.h"

namespace velmora::cli {

namespace {

// Reads a line from the terminal without echoing it; nullopt without a terminal.
std::optional<std::string> promptOnTerminal(const std::string& prompt) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty) return std::nullopt;
    const int fd = fileno(tty);
    termios saved{};
    const bool hasTerminal = ::tcgetattr(fd, &saved) == 0;
    if (hasTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::fputs(prompt.c_str(), tty);
    std::fflush(tty);
    std::string line;
    for (int c = std::fgetc(tty); c != EOF && c != '\n'; c = std::fgetc(tty))
        line += static_cast<char>(c);
    if (hasTerminal) ::tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", tty);
    std::fclose(tty);
    return line;
}

// A one-line bar on the terminal: the session bar and the upper status line.
void drawProgress(const retrieval::TretrieveHeadersDialogForm& box) {
    if (!box.visible()) {
        std::fputs("\r\033[K", stderr);
        return;
    }
    constexpr int kWidth = 30;
    const std::int64_t max = std::max<std::int64_t>(box.lowerBarMax(), 1);
    const int filled = static_cast<int>(box.lowerBar() * kWidth / max);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r\033[K[%s] %s", bar.c_str(), box.upperLine().c_str());
    std::fflush(stderr);
}

}  // namespace

int runRetrieveCommand(Context& context, const std::vector<std::string>& args) {
    std::string profileName;
    std::string mode;
    bool progress = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--profile" && hasValue) {
            profileName = args[++i];
        } else if (arg == "--mode" && hasValue) {
            mode = args[++i];
            if (mode != "count" && mode != "all" && mode != "filtered")
                return usageError(context, "retrieve: --mode is count, all or filtered");
        } else if (arg == "--progress") {
            progress = true;
        } else {
            return usageError(context, "retrieve: unexpected argument " + arg);
        }
    }

    retrieval::StandaloneRetrieval standalone(context.headless.platform(), context.home);
    for (const auto& error : standalone.errors()) context.err << error << "\n";
    profiles::ProfileLists& profiles = standalone.profiles();
    if (profiles.empty()) {
        context.err << "velmora-cli: no user profile in " << context.home.string() << "\n";
        return 1;
    }
    std::optional<int> named;
    if (!profileName.empty()) {
        const auto index = profiles.findName(profileName);
        if (!index) {
            context.err << "velmora-cli: no profile named " << profileName << "\n";
            return 1;
        }
        named = static_cast<int>(*index);
        profiles.selectActiveProfile(*named);
    }

    retrieval::Retrieval& retrieval = standalone.retrieval();
    retrieval.askPassword =
        [](const profiles::TUsersObjListBox& profile) -> std::optional<std::string> {
        if (!profile.password.empty()) return profile.password;
        if (const char* fromEnvironment = std::getenv("VELMORA_PASSWORD"))
            return std::string(fromEnvironment);
        return promptOnTerminal("Password for " + profile.profileName + ": ");
    };
    if (progress && ::isatty(STDERR_FILENO)) {
        auto& box = retrieval.progressBox();
        box.onChanged = [&box] { drawProgress(box); };
    }

    if (mode.empty())
        mode = standalone.settings().retrieve.retrieveAllRegardlessOfSize ? "all" : "filtered";
    retrieval::SessionOutcome outcome;
    if (mode == "count")
        outcome = retrieval.count();
    else if (mode == "all")
        outcome = retrieval.retrieveAll(named);
    else
        outcome = retrieval.retrieveFiltered();

    if (!outcome.started) {
        context.err << "velmora-cli: "
                    << (outcome.error.empty() ? "retrieval did not start" : outcome.error) << "\n";
        return 1;
    }
    if (!outcome.ok) {
        std::string text = outcome.error;
        for (char& c : text)
            if (c == '\r') c = '\n';
        context.err << "velmora-cli: " << (text.empty() ? "retrieval failed" : text) << "\n";
        return 1;
    }
    if (mode == "count")
        context.out << outcome.messageCount << " messages, " << outcome.totalSize << " bytes\n";
    else
        context.out << outcome.stored << " messages stored"
                    << (outcome.sizeHeld > 0
                            ? ", " + std::to_string(outcome.sizeHeld) + " held on the server"
                            : "")
                    << "\n";
    return 0;
}

}  // namespace velmora::cli
