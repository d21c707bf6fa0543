// velmora-cli smtp: sends a message file with the SMTP client.
//   smtp --server HOST:PORT [--from A] [--to B]... [--cc C]... [--bcc D]...
//        [--user U [--password P]] [--tls | --starttls] [--auth plain|login] [--ca FILE]
//        [--trust SHA256] [--allow-plain-password] FILE
// The file is read as a message; --from replaces its sender, and --to, --cc and --bcc, when any
// is given, replace all three recipient lists. Errors carry the client's texts.
#include <cstdlib>
#include <ostream>

#include "cli/command.h"
#include "cli/connection_arguments.h"
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
    std::string user;
    std::string password;
    bool passwordGiven = false;
    net::ConnectionOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string problem;
        const ArgumentUse use = readConnectionArgument(args, i, options, problem);
        if (use == ArgumentUse::Bad) return usageError(context, "smtp: " + problem);
        if (use == ArgumentUse::Used) continue;
        if (arg == "--server" && hasValue) {
            server = args[++i];
        } else if (arg == "--user" && hasValue) {
            user = args[++i];
        } else if (arg == "--password" && hasValue) {
            password = args[++i];
            passwordGiven = true;
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
    if (server.empty() || file.empty())
        return usageError(context, "smtp needs --server HOST:PORT and a FILE");
    if (!passwordGiven) {
        if (const char* fromEnvironment = std::getenv("VELMORA_PASSWORD"))
            password = fromEnvironment;
    }
    if (options.auth == net::AuthMethod::UserPass || options.auth == net::AuthMethod::Apop)
        return usageError(context, "smtp: --auth takes plain or login");
    if (options.auth != net::AuthMethod::Default && user.empty())
        return usageError(context, "smtp: --auth needs --user");

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
    smtp.Options = options;
    smtp.UserName = user;
    smtp.Password = password;
    smtp.SendMail();
    if (!smtp.QuitFailure().empty())
        context.err << "velmora-cli: warning: the message was accepted, but QUIT failed: "
                    << smtp.QuitFailure() << "\n";
    return 0;
}

}  // namespace velmora::cli
