// velmora-cli pop3: the POP3 clients from the command line, for scripts and checks.
//   pop3 --server HOST:PORT --user U [--password P] count
//       "N messages, M octets" from STAT
//   pop3 ... retrieve --out DIR [--delete]
//       every message (LIST and RETR) saved as DIR/msg_N.eml (N from 0) as received, with the
//       server's byte-stuffing undone; a name already taken (by an earlier run) is never
//       replaced: the message takes the next free number. With --delete each is deleted once
//       its file is written, except a message that arrived shorter than LIST announced, which
//       stays on the server (a warning names it)
//   pop3 ... headers
//       the inspection's list: "number size" and the message's header lines, a blank line after
// The password may come from the environment variable VELMORA_PASSWORD instead. The connection
// options --tls, --starttls, --auth METHOD, --ca FILE, --trust SHA256 and --allow-plain-password
// are those of cli/connection_arguments.h.
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "cli/command.h"
#include "cli/connection_arguments.h"
#include "net/remote_pop.h"

namespace velmora::cli {

int runPop3Command(Context& context, const std::vector<std::string>& args) {
    std::string server;
    std::string user;
    std::string password;
    bool passwordGiven = false;
    std::string action;
    std::string out;
    bool deleteAfter = false;
    net::ConnectionOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string problem;
        const ArgumentUse use = readConnectionArgument(args, i, options, problem);
        if (use == ArgumentUse::Bad) return usageError(context, "pop3: " + problem);
        if (use == ArgumentUse::Used) continue;
        if (arg == "--server" && hasValue) {
            server = args[++i];
        } else if (arg == "--user" && hasValue) {
            user = args[++i];
        } else if (arg == "--password" && hasValue) {
            password = args[++i];
            passwordGiven = true;
        } else if (arg == "--out" && hasValue) {
            out = args[++i];
        } else if (arg == "--delete") {
            deleteAfter = true;
        } else if (action.empty() && (arg == "count" || arg == "retrieve" || arg == "headers")) {
            action = arg;
        } else {
            return usageError(context, "pop3: unexpected argument " + arg);
        }
    }
    if (!passwordGiven) {
        if (const char* fromEnvironment = std::getenv("VELMORA_PASSWORD"))
            password = fromEnvironment;
    }
    if (server.empty() || user.empty() || action.empty())
        return usageError(context,
                          "pop3 needs --server HOST:PORT --user U and count, retrieve or headers");
    if (action == "retrieve" && out.empty())
        return usageError(context, "pop3 retrieve needs --out DIR");
    if (action != "retrieve" && (!out.empty() || deleteAfter))
        return usageError(context, "--out and --delete go with retrieve");

    platform::Platform& platform = context.headless.platform();
    net::TmsRemotePOP pop(platform.events, platform.clock);
    pop.Server = server;
    pop.UserName = user;
    pop.Password = password;
    pop.Options = options;
    pop.OnShortMessage = [&context](net::TagSocket&, int index, std::int64_t announced,
                                    std::int64_t received) {
        context.err << "velmora-cli: warning: message " << (index + 1) << " arrived with "
                    << received << " of the " << announced
                    << " octets announced; it is kept on the server\n";
    };

    if (action == "headers") {
        pop.UpdateInfo();
        for (int i = 0; i < pop.RemoteInfo.Count(); ++i) {
            const net::TmsRemoteInfoItem& item = pop.RemoteInfo.Items(i);
            context.out << (i + 1) << " " << item.Size << "\n";
            for (const std::string& line : item.Headers) context.out << line << "\n";
            context.out << "\n";
        }
        return 0;
    }

    try {
        if (action == "retrieve") {
            std::filesystem::create_directories(out);
            pop.setMessageDirectory(out);
        }
        pop.Connect();
        if (action == "count") {
            context.out << pop.MessageCount() << " messages, " << pop.TotalSize() << " octets\n";
        } else {
            for (std::int64_t i = 0; i < pop.MessageCount(); ++i) {
                pop.RetrieveMessage(static_cast<int>(i));
                if (deleteAfter) pop.DeleteMessage(static_cast<int>(i));
            }
            context.out << pop.MessageCount() << " messages retrieved\n";
        }
        pop.Disconnect();
    } catch (...) {
        // Deletions marked so far are not carried out: the session ends without QUIT.
        pop.Close();
        throw;
    }
    return 0;
}

}  // namespace velmora::cli
