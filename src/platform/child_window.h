// The frame every child window of the main window shares: the key by which the main window finds
// it (kind "." name, e.g. "InBox.Work\Sub"), its caption, window state and bounds. A window model
// derives from it; the Qt layer shows it as a sub-window and reports moves, resizes and state
// changes back through the setters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/help.h"
#include "platform/printing.h"

namespace velmora::platform {

// Values as the session files store them.
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 600;
    int height = 400;
};

class ChildWindow {
  public:
    virtual ~ChildWindow() = default;

    const std::string& key() const { return key_; }
    void setKey(std::string key) { key_ = std::move(key); }
    // The text before the first "." of the key ("InBox", "Read", "Compose"...).
    std::string kind() const { return key_.substr(0, key_.find('.')); }

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption) { caption_ = std::move(caption); }

    WindowState state() const { return state_; }
    void setState(WindowState state) { state_ = state; }
    const WindowBounds& bounds() const { return bounds_; }
    void setBounds(const WindowBounds& bounds) {
        bounds_ = bounds;
        boundsSet_ = true;
    }
    // False while the window has only the default bounds: its view then places it.
    bool boundsSet() const { return boundsSet_; }

    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }

    // The text selected in the window's main text pane (preview, message text, note, body), as
    // its view reports it; "" when none. The print commands print it in place of the whole.
    const std::string& selectedText() const { return selectedText_; }
    void setSelectedText(std::string text) { setSelection(std::move(text), kUnknownPlace); }
    // Where the selection starts in the window's text as the model keeps it (a byte offset into
    // spellCheckText(), say); kUnknownPlace when the view did not say.
    static constexpr std::size_t kUnknownPlace = static_cast<std::size_t>(-1);
    std::size_t selectionStart() const { return selectionStart_; }
    void setSelection(std::string text, std::size_t start) {
        selectedText_ = std::move(text);
        selectionStart_ = selectedText_.empty() ? kUnknownPlace : start;
    }
    // The caption of the window's print commands just now ("&Print Message", "&Print Selected
    // Text" ...); "" when it has nothing to print. Cheap: menus ask for it often.
    virtual std::string printCaption() const { return {}; }
    // What its print commands print (a message may be loaded for it); nothing when nothing.
    virtual std::optional<Printout> printout() { return std::nullopt; }

    // The text the spell check goes over (a message body, a note); nullptr when the window has
    // none to check. With a selection whose place is known, only the selection is checked.
    virtual const std::string* spellCheckText() const { return nullptr; }
    // The checked text back: the window takes it as if the user had typed it.
    virtual void setSpellCheckedText(const std::string& text) { (void)text; }

    // The help topic its Help commands open (platform/help.h).
    virtual int helpContext() const { return help_topic::kContents; }

    // Called before the window closes; false keeps it open.
    virtual bool closeQuery() { return true; }
    // Called once when the window closes, before it is destroyed: write what must be kept.
    virtual void onClose() {}

    // What the main window tells every child window; each kind reacts to what concerns it.
    // Options of the configuration window changed (captions, date formats).
    virtual void optionsChanged() {}
    // The mail folder at `oldPath` (a logical path) is now at `newPath`.
    virtual void folderRenamed(const std::string& oldPath, const std::string& newPath) {
        (void)oldPath, (void)newPath;
    }
    // Does the window show row `row` of the folder at `folderPath`? Such windows are closed
    // when that row goes.
    virtual bool showsFolderRow(const std::string& folderPath, int row) const {
        (void)folderPath, (void)row;
        return false;
    }
    // The active user profile changed: what belonged to the other profile's server goes.
    virtual void profileChanged() {}
    // Row `row` of the folder at `folderPath` was removed: rows below it moved up by one.
    virtual void folderRowRemoved(const std::string& folderPath, int row) {
        (void)folderPath, (void)row;
    }

  private:
    std::string key_;
    std::string caption_;
    std::string selectedText_;
    std::size_t selectionStart_ = kUnknownPlace;
    WindowState state_ = WindowState::Normal;
    WindowBounds bounds_;
    bool boundsSet_ = false;
    bool visible_ = true;
};

}  // namespace velmora::platform
