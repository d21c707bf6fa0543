// velmora-cli show FOLDER ROW [--headers 0|1|2]: the preview pane's text of a row (ROW from 1,
// as the folder window's caption counts), in the header mode given (normal headers when none),
// wrapped at the word-wrap width of the settings.
#include <charconv>
#include <ostream>

#include "cli/command.h"
#include "cli/folder_arguments.h"
#include "reading/display_text.h"
#include "reading/standalone_folders.h"
#include "store/message_file.h"

namespace velmora::cli {

namespace {

std::optional<int> number(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

int runShowCommand(Context& context, const std::vector<std::string>& args) {
    constexpr const char* kUsage = "usage: show FOLDER ROW [--headers 0|1|2]";
    std::vector<std::string> positional;
    reading::HeaderMode mode = reading::HeaderMode::Normal;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--headers") {
            const auto value = i + 1 < args.size() ? number(args[i + 1]) : std::nullopt;
            if (!value || *value < 0 || *value > 2) return usageError(context, kUsage);
            mode = static_cast<reading::HeaderMode>(*value);
            ++i;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) return usageError(context, kUsage);
    const auto row = number(positional[1]);
    if (!row || *row < 1) return usageError(context, "ROW counts from 1");
    const auto folder = folderArgument(context, positional[0]);
    if (!folder) return 1;

    const profiles::Settings settings = reading::loadFolderSettings(context.home);
    reading::StandaloneFolders folders(context.headless.platform(), context.home, settings);
    reading::TinboxForm& window = folders.openFolderWindow(*folder, false);
    if (static_cast<std::size_t>(*row) > window.rowCount()) {
        context.err << "velmora-cli: " << *folder << " has " << window.rowCount() << " messages\n";
        return 1;
    }
    const store::TObjListViewVLF& item = window.rows()[static_cast<std::size_t>(*row - 1)].item;
    std::string failure;
    const auto text = reading::previewTextOf(window.directory(), item, mode,
                                             reading::wordWrapWidth(settings.reply.wordWrap),
                                             context.headless.platform().dialogs, &failure);
    if (!text) {
        context.err << "velmora-cli: Load From File Error: "
                    << store::messageFilePath(window.directory(), item.fileName).string() << ": "
                    << failure << "\n";
        return 1;
    }
    // The pane's CR LF lines as the terminal's lines.
    std::string_view rest = *text;
    for (auto end = rest.find("\r\n"); end != std::string_view::npos; end = rest.find("\r\n")) {
        context.out << rest.substr(0, end) << "\n";
        rest.remove_prefix(end + 2);
    }
    context.out << rest << "\n";
    return 0;
}

}  // namespace velmora::cli
