// The option pages of the configuration window (Retrieve (POP3), Send (SMTP), Compose, Read,
// Reply, Misc, Other, GUI). Each page is a table of options bound to the fields of one settings
// file, so the widget can lay out any page from its table: check boxes, drop-down choices, text
// fields, font buttons and colour drop-downs. A change by the user goes through the page, which
// checks it, applies its side effects, sets the page's changed flag and tells the main window;
// the page writes its file when it is left and its values changed.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "platform/platform.h"
#include "profiles/settings.h"

namespace velmora::profiles {

// The pages in tab order; Address Books belongs to the address books and is only a tab here.
enum class ConfigPage {
    Users,
    AddressBooks,
    Retrieve,
    Send,
    Compose,
    Read,
    Reply,
    Misc,
    Other,
    Gui
};
inline constexpr int kConfigPageCount = 10;

const char* configPageCaption(ConfigPage page);

enum class OptionKind {
    Check,   // a check box; value bool
    Choice,  // a drop-down of fixed texts; value its position
    Text,    // a one-line field; value text, at most maxLength characters when set
    File,    // a text field with a browse button for a sound file
    Font,    // a font button with a sample; value FontSetting
    Colour,  // a colour drop-down; value a colour number
    Button,  // a push button that runs an action (caption may change)
};

using OptionValue = std::variant<bool, int, std::string, FontSetting>;

struct PageOption {
    std::string id;       // the settings field it is bound to ("deleteFromServer")
    std::string caption;  // as the page shows it
    OptionKind kind = OptionKind::Check;
    std::vector<std::string> choices;  // Choice and Colour: the texts of the drop-down
    std::size_t maxLength = 0;         // Text: 0 for no limit
    std::string suffix;                // a label after the control ("seconds")
};

// What the rest of the program does when an option changes at once (not only at the next use):
// reformat the date columns, restart the auto-save timers, switch floating tips, re-arrange the
// toolbar, re-apply tabs and grid lines, set up automatic checking. Implemented by the main
// window; defaults do nothing.
class ConfigEvents {
  public:
    virtual ~ConfigEvents() = default;
    virtual void optionChanged(ConfigPage /*page*/, const std::string& /*optionId*/) {}
};

class OptionPage {
  public:
    struct Binding {
        PageOption option;
        std::function<OptionValue()> get;
        std::function<void(const OptionValue&)> set;
        std::function<bool()> enabled;  // empty: always enabled
    };

    OptionPage(ConfigPage page, const char* file, bool ChangedFlags::*flag, Settings& settings,
               std::function<std::error_code(const std::filesystem::path&)> save);
    virtual ~OptionPage() = default;

    ConfigPage page() const { return page_; }
    const char* fileName() const { return file_; }
    std::vector<PageOption> options() const;
    const PageOption& option(const std::string& id) const;

    OptionValue value(const std::string& id) const;
    bool checked(const std::string& id) const { return std::get<bool>(value(id)); }
    int choice(const std::string& id) const { return std::get<int>(value(id)); }
    std::string text(const std::string& id) const { return std::get<std::string>(value(id)); }
    FontSetting font(const std::string& id) const { return std::get<FontSetting>(value(id)); }
    bool enabled(const std::string& id) const;
    // The caption shown now: some captions follow their value ("minute" / "minutes").
    virtual std::string caption(const std::string& id) const;
    virtual std::string suffix(const std::string& id) const;

    // A change by the user. Values of the wrong type for the option are ignored; a text longer
    // than the option's limit is cut.
    void setValue(const std::string& id, OptionValue value);
    void setChecked(const std::string& id, bool v) { setValue(id, v); }
    void setChoice(const std::string& id, int v) { setValue(id, v); }
    void setText(const std::string& id, std::string v) { setValue(id, std::move(v)); }
    // The font button: asks for a font starting from the current one.
    void chooseFont(const std::string& id);
    // The browse button of a File option.
    void browseFile(const std::string& id);
    // A Button option was clicked; the focus entered a field (some pages remember which).
    virtual void click(const std::string& /*id*/) {}
    virtual void fieldClicked(const std::string& /*id*/) {}

    bool changed() const { return settings_.changed.*flag_; }
    // The page is shown / left. Leaving writes the file when the values changed; a failed write
    // throws std::system_error for the general error report and keeps the changed flag.
    virtual void enter() {}
    virtual void leave();

    void setContext(platform::Platform* platform, std::filesystem::path home, ConfigEvents* events);

  protected:
    void add(Binding binding);
    // Runs after a user change was stored, before the changed flag is set and the main window is
    // told.
    virtual void afterChange(const std::string& /*id*/) {}
    void markChanged(const std::string& id);
    Settings& settings() const { return settings_; }
    platform::Platform* platform() const { return platform_; }
    const std::filesystem::path& home() const { return home_; }

  private:
    const Binding& binding(const std::string& id) const;

    ConfigPage page_;
    const char* file_;
    bool ChangedFlags::*flag_;
    Settings& settings_;
    std::function<std::error_code(const std::filesystem::path&)> save_;
    std::vector<Binding> bindings_;
    platform::Platform* platform_ = nullptr;
    std::filesystem::path home_;
    ConfigEvents* events_ = nullptr;
};

}  // namespace velmora::profiles
