#include <algorithm>
#include <ostream>

#include "cli/command.h"

namespace velmora::cli {

// Each defined in its own <name>_command.cpp. A new command adds its declaration here and its
// row to the table below, nothing else in this file.
using Args = std::vector<std::string>;
int runProfilesCommand(Context& context, const Args& args);
int runDecodeCommand(Context& context, const Args& args);
int runEncodeCommand(Context& context, const Args& args);
int runMxCommand(Context& context, const Args& args);
int runPop3Command(Context& context, const Args& args);
int runSmtpCommand(Context& context, const Args& args);
int runListCommand(Context& context, const Args& args);
int runShowCommand(Context& context, const Args& args);
int runRebuildCommand(Context& context, const Args& args);
int runRetrieveCommand(Context& context, const Args& args);
int runBooksCommand(Context& context, const Args& args);
int runImportCommand(Context& context, const Args& args);
int runSendCommand(Context& context, const Args& args);

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"profiles", "list the user profiles: name, account, POP3 and SMTP server (tab-separated)",
         runProfilesCommand},
        {"decode",
         "FILE [--save-attachments DIR]: the message as one JSON object (fields, body, "
         "attachments with size and sha256)",
         runDecodeCommand},
        {"encode",
         "JSON OUT: write the message a JSON object describes (\"-\" reads standard input)",
         runEncodeCommand},
        {"mx", "DOMAIN --dns SERVER[:PORT]...: the domain's mail exchangers, \"00010 host\" a line",
         runMxCommand},
        {"pop3",
         "--server HOST:PORT --user U [--password P] [--tls | --starttls] [--auth user|plain|apop] "
         "[--ca FILE] [--trust SHA256] [--allow-plain-password] count | retrieve --out DIR "
         "[--delete] | headers (password also from VELMORA_PASSWORD)",
         runPop3Command},
        {"smtp",
         "--server HOST:PORT [--from A] [--to B]... [--cc C]... [--bcc D]... [--user U "
         "[--password P]] [--tls | --starttls] [--auth plain|login] [--ca FILE] [--trust SHA256] "
         "[--allow-plain-password] FILE: send a message file",
         runSmtpCommand},
        {"list",
         "FOLDER: the rows of a mail folder (InBox, Work\\Sub), one tab-separated row a "
         "line, as its window lists them",
         runListCommand},
        {"show",
         "FOLDER ROW [--headers 0|1|2]: the preview text of row ROW (from 1): 0 body only, "
         "1 normal headers (default), 2 full headers",
         runShowCommand},
        {"rebuild", "FOLDER: rebuild the folder's index from its message files", runRebuildCommand},
        {"retrieve",
         "[--profile NAME] [--mode count|all|filtered] [--progress]: fetch mail into "
         "the folders by the rules (password from the profile, VELMORA_PASSWORD or a "
         "prompt)",
         runRetrieveCommand},
        {"books", "the address books in their order, \"name<TAB>entries\" a line", runBooksCommand},
        {"import",
         "FILE|DIR [--book NAME]: import an address book (CSV, vCard, LDIF, a folder of "
         "nickname files) into the book NAME (default: the first)",
         runImportCommand},
        {"send",
         "FILE... | --outbox: send stored messages, or every OutBox message (filed into Sent), "
         "with the active profile's SMTP server",
         runSendCommand},
    };
    return table;
}

const Command* findCommand(std::string_view name) {
    const auto& table = commands();
    const auto found = std::find_if(table.begin(), table.end(), [name](const Command& command) {
        return command.name == name;
    });
    return found == table.end() ? nullptr : &*found;
}

int usageError(Context& context, const std::string& message) {
    context.err << "velmora-cli: " << message << "\n";
    return 2;
}

}  // namespace velmora::cli
