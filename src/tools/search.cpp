#include "tools/search.h"

#include <memory>

namespace velmora::tools {

TsearchForm* findSearchWindow(reading::FolderWindowHost& host) {
    return reading::findChildWindow<TsearchForm>(host, kSearchWindowKey);
}

void registerSearch(platform::WindowKinds& kinds, platform::Commands& commands,
                    const std::filesystem::path& home, reading::FolderWindowHost& host,
                    platform::Platform& platform) {
    // The window is not recorded in the session: it opens when asked for.
    platform::WindowKind kind;
    kind.keyPrefix = "Search";
    kinds.add(std::move(kind));

    platform::Command find;
    find.run = [&host, &platform, home] {
        TsearchForm* window = findSearchWindow(host);
        if (!window) {
            // Added hidden: show() builds the window list and brings it forward.
            auto created = std::make_unique<TsearchForm>(platform, home, host);
            window = created.get();
            host.addChildWindow(std::move(created));
            window->setVisible(false);
        }
        window->show();
    };
    commands.add(kFindCommand, std::move(find));
}

}  // namespace velmora::tools
