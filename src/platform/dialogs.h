// Modal dialogs the windows ask the platform for: message boxes, the three-button message window,
// input boxes, file, folder and font choosers, and the button-less status box of long operations.
// Every call blocks until the user answers; a fake answers from a script in tests.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::platform {

enum class MessageKind { Information, Warning, Error, Question };

// The fixed button sets a message box offers.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// What the user chose; Cancel also when a box was closed without a choice.
enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct MessageBoxRequest {
    MessageKind kind = MessageKind::Information;
    std::string title;
    std::string text;  // "\r" is shown as a line break
    Buttons buttons = Buttons::Ok;
    Answer defaultAnswer = Answer::Ok;
};

// The stay-on-top message window: four centred text lines and up to three buttons, "&Yes", "&No"
// and a third one whose caption is set for each use ("&Delete It"). It answers "Yes", "No" or
// "Delete"; the keys Y, N and D answer too. Closing it without a choice answers "No".
struct MsgFormRequest {
    std::string caption;
    std::array<std::string, 4> lines;
    bool showYes = true;
    bool showNo = true;
    std::string thirdCaption;  // empty: no third button
};

inline constexpr const char* kMsgFormYes = "Yes";
inline constexpr const char* kMsgFormNo = "No";
inline constexpr const char* kMsgFormDelete = "Delete";

struct InputField {
    std::string prompt;
    std::string value;
    bool masked = false;  // shown as bullets, for passwords
};

// An input box with one field, or two when `second` is set.
struct InputBoxRequest {
    std::string caption;
    InputField first;
    std::optional<InputField> second;
};

struct InputBoxResult {
    std::string first;
    std::string second;
};

struct FileFilter {
    std::string description;            // "Text Files"
    std::vector<std::string> patterns;  // {"*.txt"}
};

struct FileDialogRequest {
    std::string title;
    std::filesystem::path initialDirectory;
    std::string initialName;
    std::vector<FileFilter> filters;
    bool multiple = false;
};

struct FontChoice {
    std::string family = "Courier New";
    int pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::string colour = "clBlack";
};

// A directory chooser whose accept button carries a caption of its own ("&Move", "&Copy").
struct DirectoryRequest {
    std::string title;
    std::filesystem::path initialDirectory;
    std::string acceptCaption;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual Answer messageBox(const MessageBoxRequest& request) = 0;
    // Answers kMsgFormYes, kMsgFormNo or kMsgFormDelete.
    virtual std::string msgForm(const MsgFormRequest& request) = 0;
    // nullopt when the user cancelled.
    virtual std::optional<InputBoxResult> inputBox(const InputBoxRequest& request) = 0;
    // The chosen files; empty when the user cancelled.
    virtual std::vector<std::filesystem::path> openFiles(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> chooseDirectory(
        const std::string& title, const std::filesystem::path& initial) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& initial) = 0;
    // The chooser with its own accept caption; by default the plain chooser.
    virtual std::optional<std::filesystem::path> chooseTargetDirectory(
        const DirectoryRequest& request) {
        return chooseDirectory(request.title, request.initialDirectory);
    }

    // The message window without buttons, left on screen as the status box of a long
    // operation until hideStatus; a second showStatus replaces its lines.
    virtual void showStatus(const std::string& caption,
                            const std::array<std::string, 4>& lines) = 0;
    virtual void hideStatus() = 0;

    // Shorthands for the common boxes.
    void information(const std::string& title, const std::string& text);
    void warning(const std::string& title, const std::string& text);
    void error(const std::string& title, const std::string& text);
    Answer question(const std::string& title, const std::string& text, Buttons buttons,
                    Answer defaultAnswer);
};

}  // namespace velmora::platform
