#include "tools/picture_viewer.h"

#include <memory>

namespace velmora::tools {

TpictureViewerForm* findPictureViewer(reading::FolderWindowHost& host) {
    return reading::findChildWindow<TpictureViewerForm>(host, kPictureViewerKey);
}

void registerPictureViewer(platform::WindowKinds& kinds, platform::Commands& commands,
                           const std::filesystem::path& home, reading::FolderWindowHost& host,
                           platform::Platform& platform) {
    // The viewer is not recorded in the session: it opens when asked for.
    platform::WindowKind kind;
    kind.keyPrefix = kPictureViewerKind;
    kinds.add(std::move(kind));

    platform::Command open;
    open.run = [&host, &platform, home] {
        if (TpictureViewerForm* window = findPictureViewer(host)) {
            window->setVisible(true);
            if (window->state() == platform::WindowState::Minimized)
                window->setState(platform::WindowState::Normal);
            host.activateChildWindow(*window);
            return;
        }
        PlaceSources sources;
        sources.home = home;
        sources.userHome = userHomeDirectory();
        host.addChildWindow(std::make_unique<TpictureViewerForm>(platform, host, sources));
    };
    commands.add(kPictureViewerCommand, std::move(open));
}

}  // namespace velmora::tools
