// velmora-cli send: delivers stored messages with the active profile's SMTP server, as the
// desktop program's Send button does.
//   send FILE...    stored message files (".vlf"), each sent as an OutBox message is
//   send --outbox   every OutBox row; delivered rows move to Sent when "Save outgoing
//                   messages to 'Sent' folder" is on
// Exit status 0 when every message was delivered, 1 otherwise (the reasons on standard error),
// 2 for bad usage.
#include <ostream>

#include "cli/command.h"
#include "compose/standalone_sending.h"

namespace velmora::cli {

int runSendCommand(Context& context, const std::vector<std::string>& args) {
    bool outbox = false;
    std::vector<std::filesystem::path> files;
    for (const std::string& arg : args) {
        if (arg == "--outbox")
            outbox = true;
        else if (arg.rfind("--", 0) == 0)
            return usageError(context, "send: unexpected argument " + arg);
        else
            files.emplace_back(arg);
    }
    if (outbox == !files.empty()) return usageError(context, "send needs FILE... or --outbox");

    compose::StandaloneSending sending(context.headless.platform(), context.home);
    if (!sending.hasProfile()) {
        context.err << "velmora-cli: send: no user profile in " << context.home.string() << "\n";
        return 1;
    }
    if (outbox) {
        const auto [delivered, rows] = sending.sendOutBox();
        context.out << delivered << " of " << rows << " OutBox messages sent\n";
        return delivered == rows ? 0 : 1;
    }
    const int delivered = sending.sending().sendMessageFiles(files);
    context.out << delivered << " of " << files.size() << " messages sent\n";
    return delivered == static_cast<int>(files.size()) ? 0 : 1;
}

}  // namespace velmora::cli
