#include "profiles/settings_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "base/text.h"
#include "profiles/profile.h"

namespace velmora::profiles {

std::int64_t sizeLimitBytes(int position) {
    if (position < 0 || position >= static_cast<int>(kSizeLimitBytes.size())) return 0;
    return kSizeLimitBytes[static_cast<std::size_t>(position)];
}

int timeoutSeconds(int position) {
    if (position < 0 || position >= static_cast<int>(kTimeoutSeconds.size())) return 60;
    return kTimeoutSeconds[static_cast<std::size_t>(position)];
}

std::chrono::minutes autoSaveInterval(int position) {
    if (position < 0 || position >= static_cast<int>(kAutoSaveMinutes.size()))
        return std::chrono::minutes{0};
    return std::chrono::minutes{kAutoSaveMinutes[static_cast<std::size_t>(position)]};
}

int checkIntervalMinutes(int position) {
    if (position < 0 || position >= static_cast<int>(kCheckIntervalMinutes.size())) return 20;
    return kCheckIntervalMinutes[static_cast<std::size_t>(position)];
}

const char* checkIntervalUnit(int position) {
    return position == 0 ? "minute" : "minutes";
}

int messagesButtonMode(bool deleteFromServer, bool retrieveAll) {
    if (deleteFromServer) return retrieveAll ? 3 : 2;
    return retrieveAll ? 1 : 4;
}

std::string messagesButtonHint(int mode) {
    switch (mode) {
        case 1:
            return "Retrieve All Messages - Leave On Server|";
        case 3:
            return "Retrieve All Messages - Delete|";
        case 4:
            return "Retrieve Filtered Messages - Leave On Server|";
        default:
            return "Retrieve Filtered Messages - Delete|";
    }
}

std::string composeButtonHint(int mode) {
    return mode == 1 ? "Compose A New Email Message|" : "Bring active Compose window to the front|";
}

std::string serverWithPort(const std::string& server, const std::string& port) {
    const std::string host = trimBlanks(server);
    const std::string settingsPort = trimBlanks(port);
    if (!host.empty() && host.front() == '[') {
        const std::size_t close = host.find(']');
        if (close != std::string::npos && close + 1 < host.size() && host[close + 1] == ':' &&
            portNumber(std::string_view(host).substr(close + 2)) != 0)
            return host;
        return host + ":" + settingsPort;
    }
    const std::size_t colon = host.find(':');
    if (colon == std::string::npos) return host + ":" + settingsPort;
    // A bare IPv6 address: brackets keep the port from reading as one more group of it.
    if (host.find(':', colon + 1) != std::string::npos) return "[" + host + "]:" + settingsPort;
    // The server text names its own port: that one is meant.
    if (portNumber(std::string_view(host).substr(colon + 1)) != 0) return host;
    return host + ":" + settingsPort;
}

int floatingTipMilliseconds(const OtherSettings& other) {
    const std::string& text = other.floatingTipSeconds;
    int seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || seconds <= 0) seconds = 8;
    return std::min(seconds, 999) * 1000;
}

int nextTip(int lastTip, int tipCount) {
    if (tipCount <= 0 || lastTip < 0 || lastTip + 1 >= tipCount) return 0;
    return lastTip + 1;
}

WindowGeometry mainWindowGeometry(const MainWindowSettings& stored, int screenWidth,
                                  int screenHeight) {
    if (stored.present && stored.screenWidth == screenWidth)
        return {stored.left, stored.top, stored.width, stored.height};
    WindowGeometry g;
    g.height = static_cast<int>(std::lround(screenHeight * 0.90));
    g.width = static_cast<int>(std::lround(screenWidth * 0.97));
    g.left = (screenWidth - g.width) / 2;
    g.top = (screenHeight - g.height) / 2 - 10;
    return g;
}

int folderTreeWidth(const VlSettings& vl, int mainWindowWidth) {
    return vl.folderTreeWidth ? *vl.folderTreeWidth : mainWindowWidth / 5;
}

WindowGeometry configWindowPosition(const VlSettings& vl, int screenWidth, int screenHeight,
                                    int windowWidth, int windowHeight) {
    WindowGeometry g{0, 0, windowWidth, windowHeight};
    g.left = vl.configWindowLeft ? *vl.configWindowLeft : (screenWidth - windowWidth) / 2;
    g.top = vl.configWindowTop ? *vl.configWindowTop : (screenHeight - windowHeight) / 2;
    return g;
}

int profileToolbarTop(const ProfileToolbarSettings& bar) {
    return bar.dockPosition == DockPosition::Top || bar.dockPosition == DockPosition::Bottom
               ? 10
               : bar.top;
}

}  // namespace velmora::profiles
