// velmora-cli smtp: sends a message file with the SMTP client.
//   smtp --server HOST:PORT [--from A] [--to B]... [--cc C]... [--bcc D]... FILE
// The file is read as a message; --from replaces its sender, and --to, --cc and --bcc, when any
// is given, replace all three recipient lists. Errors carry the client's texts.
#include <ostream>

#include "cli/command.h"
#include "mime/message.h"
#include "net/smtp.h"

namespace velmora::cli {

int runSmtpCommand(Context& context, const std::vector<std::string>& args) {
    std::string server;
    std::string from;
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--server" && hasValue) {
            server = args[++i];
        } else if (arg == "--from" && hasValue) {
            from = args[++i];
        } else if (arg == "--to" && hasValue) {
            to.push_back(args[++i]);
        } else if (arg == "--cc" && hasValue) {
            cc.push_back(args[++i]);
        } else if (arg == "--bcc" && hasValue) {
            bcc.push_back(args[++i]);
        } else if (file.empty() && arg.rfind("--", 0) != 0) {
            file = arg;
        } else {
            return usageError(context, "smtp: unexpected argument " + arg);
        }
    }
    if (server.empty() || file.empty()) return usageError(context, "smtp needs --server HOST:PORT and a FILE");

    mime::TmsMessage message;
    message.LoadFromFile(file);
    if (!from.empty()) message.Sender() = mime::ParseMailAddress(from);
    if (!to.empty() || !cc.empty() || !bcc.empty()) {
        const auto replace = [](mime::TmsAddressList& list, const std::vector<std::string>& texts) {
            list.Clear();
            for (const std::string& text : texts) list.Add(mime::ParseMailAddress(text));
        };
        replace(message.Recipients(), to);
        replace(message.CC(), cc);
        replace(message.BCC(), bcc);
    }

    platform::Platform& platform = context.headless.platform();
    net::TmsSMTP smtp(platform.events, platform.clock);
    smtp.Server = server;
    smtp.MailMessage = &message;
    smtp.SendMail();
    if (!smtp.QuitFailure().empty())
        context.err << "velmora-cli: warning: the message was accepted, but QUIT failed: "
                    << smtp.QuitFailure() << "\n";
    return 0;
}

}  // namespace velmora::cli
