// The help engine: topics of the help file "Velmora.hlp" in the home folder, opened by number
// (each window has its help context), and the help file's own format. The file is UTF-8 text; a
// line "#100 Title" starts topic 100, the lines up to the next such line are its text, and lines
// before the first topic are ignored. A line that begins with a blank continues the line before
// it (joined by one space), so paragraphs may be folded in the file and wrap in the window.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::platform {

inline constexpr const char* kHelpFile = "Velmora.hlp";

// The help contexts of the windows; the main window's contents is topic 100.
namespace help_topic {
inline constexpr int kContents = 100;
inline constexpr int kFolderWindow = 1000;
inline constexpr int kReadWindow = 2000;
inline constexpr int kComposeWindow = 3000;
inline constexpr int kRetrieveHeaders = 4000;
inline constexpr int kSearch = 5150;
inline constexpr int kScratchPad = 5650;
inline constexpr int kPictureViewer = 5700;
inline constexpr int kSignatures = 6000;
inline constexpr int kImport = 8000;
inline constexpr int kQuestions = 10200;
inline constexpr int kContact = 10400;
}  // namespace help_topic

struct HelpTopic {
    int number = 0;
    std::string title;
    std::string text;  // lines joined by LF
};

// The topics of a help file in their order; nothing when it cannot be read (`error` says why).
// A file larger than 4 MB is refused.
std::optional<std::vector<HelpTopic>> readHelpFile(const std::filesystem::path& file,
                                                   std::string& error);

enum class HelpOutcome { Shown, NoHelpFile, Unreadable };

class HelpEngine {
  public:
    virtual ~HelpEngine() = default;
    void setHelpFile(std::filesystem::path file) { file_ = std::move(file); }
    const std::filesystem::path& helpFile() const { return file_; }
    // Shows topic `topic` (the first topic, with a note, when the file has no such topic).
    virtual HelpOutcome showTopic(int topic) = 0;

  private:
    std::filesystem::path file_;
};

}  // namespace velmora::platform
