// Platform services that are not windows: sounds, the clipboard, opening a file with the program
// registered for its type, free disk space and the keyboard's modifier state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace velmora::platform {

class System {
  public:
    virtual ~System() = default;
    virtual void beep() = 0;
    virtual void playSound(const std::filesystem::path& file) = 0;
    virtual std::string clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // Opens `file` with the desktop's program for its type; false when none could be started.
    virtual bool openWithRegisteredProgram(const std::filesystem::path& file) = 0;
    // Free bytes on the file system that holds `path`; -1 when it cannot be read.
    virtual std::int64_t freeDiskSpace(const std::filesystem::path& path) = 0;
    virtual bool shiftPressed() const = 0;
    virtual bool ctrlPressed() const = 0;
};

}  // namespace velmora::platform
