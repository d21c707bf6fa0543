// The scratch pads' part in the main window: the window kind "ScratchPad" with its session file
// "scratch.dat" (pads reopened at start-up, recorded at shutdown with a modified pad's text
// written to its file), the web-link pad "WebLinks.txt" that collects mail-to addresses, and the
// View menu's commands "scratch.new", "scratch.open", "scratch.save" and "scratch.close" (the
// last two act on the pad in front and are available only while a pad is the active window).
//
// Pad names become file names in the home folder, so a name that could reach outside it (a
// "/", "\" or "..") or break a session record (a control character) is refused with a message.
// "&New" with the name of an existing pad file opens that file instead of emptying it, and the
// web-link pad starts from the links already collected in its file.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/commands.h"
#include "platform/platform.h"
#include "platform/session_records.h"
#include "platform/window_kind.h"
#include "reading/folder_window_host.h"
#include "tools/scratch_pad_form.h"

namespace velmora::tools {

inline constexpr const char* kNewPadCaption = "Create New Scratch Pad";
inline constexpr const char* kNewPadPrompt = "Enter Scratch Pad Name";
inline constexpr const char* kWebLinksPad = "WebLinks.txt";

// A name that may become a file of the home folder and a line of "scratch.dat": not empty, no
// "/", "\", "..", and no control character.
bool isUsablePadName(std::string_view name);

class ScratchPads final : public ScratchPadHost {
  public:
    ScratchPads(platform::Platform& platform, std::filesystem::path home,
                reading::FolderWindowHost& host);

    // The pad in front of the other child windows; nullptr when the active window is no pad.
    TscratchPadForm* activePad() const;
    // The open pad of key "ScratchPad." + `fileName`, or nullptr.
    TscratchPadForm* findPad(const std::string& fileName) const;

    // --- the View menu's "&Scratch Pad" commands -------------------------------------------
    // Asks for a name; a new pad is created and saved at once (its file holds only CR LF). The
    // name of a pad that is open brings it to the front; that of an existing file opens it.
    void newClick();
    // The file-open dialog; the chosen file is loaded into a new pad of its name.
    void openClick();
    void saveClick();
    void closeClick();

    // --- what the main window asks of the kind ---------------------------------------------
    void restore(const std::vector<std::string>& lines);
    std::vector<std::string> record(platform::ChildWindow& window);
    // The address goes to the web-link pad as a new last line.
    void mailTo(const std::string& address);
    // Before the windows close: what is still unsaved (the session was not recorded) is saved.
    void shutdown();

    // ScratchPadHost
    void showPad(platform::ChildWindow& pad) override;
    void closePad(platform::ChildWindow& pad) override;
    void padChanged(platform::ChildWindow& pad) override;
    bool quietKeyboard() const override { return host_.quietKeyboard(); }
    const platform::Commands& commands() const override { return host_.registeredCommands(); }

  private:
    // A new pad of that name among the child windows; `placement` for a pad of the last session.
    TscratchPadForm& addPad(const std::string& fileName,
                            const platform::WindowPlacement* placement = nullptr);
    // A pad for the file, or the open pad of its name; a load failure is warned with `errorCode`.
    TscratchPadForm& openPadFile(const std::filesystem::path& file, const char* errorCode);
    void refuseName(const std::string& name);
    std::vector<TscratchPadForm*> pads() const;

    platform::Platform& platform_;
    std::filesystem::path home_;
    reading::FolderWindowHost& host_;
};

// Registers the kind and the commands; the returned object lives as long as they are kept.
std::shared_ptr<ScratchPads> registerScratchPads(platform::WindowKinds& kinds,
                                                 platform::Commands& commands,
                                                 const std::filesystem::path& home,
                                                 reading::FolderWindowHost& host,
                                                 platform::Platform& platform);

}  // namespace velmora::tools
