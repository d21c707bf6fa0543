#include <ostream>

#include "cli/command.h"

namespace velmora::cli {

// One row per subcommand, declared by the file that implements it.
int runProfilesCommand(Context& context,
                       const std::vector<std::string>& args);  // profiles_command.cpp
int runDecodeCommand(Context& context, const std::vector<std::string>& args);  // decode_command.cpp
int runEncodeCommand(Context& context, const std::vector<std::string>& args);  // encode_command.cpp
int runMxCommand(Context& context, const std::vector<std::string>& args);      // mx_command.cpp
int runPop3Command(Context& context, const std::vector<std::string>& args);    // pop3_command.cpp
int runSmtpCommand(Context& context, const std::vector<std::string>& args);    // smtp_command.cpp
int runListCommand(Context& context, const std::vector<std::string>& args);    // list_command.cpp
int runShowCommand(Context& context, const std::vector<std::string>& args);    // show_command.cpp
int runRebuildCommand(Context& context,
                      const std::vector<std::string>& args);  // rebuild_command.cpp
int runRetrieveCommand(Context& context,
                       const std::vector<std::string>& args);  // retrieve_command.cpp

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
         "--server HOST:PORT --user U [--password P] count | retrieve --out DIR [--delete] | "
         "headers (password also from VELMORA_PASSWORD)",
         runPop3Command},
        {"smtp",
         "--server HOST:PORT [--from A] [--to B]... [--cc C]... [--bcc D]... FILE: send a "
         "message file",
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
    };
    return table;
}

int usageError(Context& context, const std::string& message) {
    context.err << "velmora-cli: " << message << "\n";
    return 2;
}

}  // namespace velmora::cli
