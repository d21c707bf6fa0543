// One running instance per home folder. The first instance listens on a local socket named after
// its home folder; a later start hands its text (a mail-to address, or "justBringToFront") over
// that socket, waits until the running instance has taken it, and ends without a window.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace velmora::core {

class InstanceServer {
  public:
    // Starts listening for `home`. nullopt when another instance already listens there (or the
    // socket cannot be made, in which case the program simply runs without hand-over).
    static std::optional<InstanceServer> listen(const std::filesystem::path& home);

    InstanceServer(InstanceServer&& other) noexcept;
    InstanceServer& operator=(InstanceServer&& other) noexcept;
    ~InstanceServer();

    // Takes every hand-over that waits, without blocking, and calls `onText` for each text
    // received. Meant to be called from a periodic timer of the user-interface thread.
    void poll(const std::function<void(const std::string&)>& onText);

  private:
    explicit InstanceServer(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// Hands `text` to the instance running on `home`. True when one took it; false when none runs.
bool handOverToRunningInstance(const std::filesystem::path& home, const std::string& text);

}  // namespace velmora::core
