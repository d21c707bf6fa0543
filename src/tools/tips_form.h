// The tip of the day window `TtipsForm`, modal: one tip at a time with "&Previous Tip" and
// "&Next Tip", and the switch "&Show tips at start-up". Each opening shows the tip after the
// one shown last; closing the window writes "tips.cfg" with the tip on screen and the switch.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "profiles/settings.h"

namespace velmora::tools {

class TtipsForm {
  public:
    static constexpr const char* kCaption = "Tip of the Day";
    static constexpr const char* kHeading = "Did you know...";
    static constexpr const char* kShowAtStartupCaption = "&Show tips at start-up";
    static constexpr const char* kPreviousCaption = "&Previous Tip";
    static constexpr const char* kNextCaption = "&Next Tip";
    static constexpr const char* kCloseCaption = "&Close";

    // `settings` (the program's copy of "tips.cfg") is borrowed and kept up to date.
    TtipsForm(platform::Platform& platform, std::filesystem::path home,
              profiles::TipsSettings& settings)
        : platform_(platform), home_(std::move(home)), settings_(settings) {}

    // Shows the next tip in the modal window and returns when it is closed. Without a window
    // (no view, as on the command line) nothing is shown and nothing written.
    void show();

    // --- what the window shows ------------------------------------------------------------
    int position() const { return position_; }
    std::string_view tipText() const;
    bool showAtStartup() const { return showAtStartup_; }

    // --- commands -------------------------------------------------------------------------
    void setShowAtStartup(bool on) { showAtStartup_ = on; }
    void previousClick();
    void nextClick();
    // "&Close", Esc and the frame's close button.
    void closeClick();

    // The modal window: the view shows it and returns once closeRequested was called (or the
    // user closed it, which the view reports as closeClick). Tests set a script; the desktop
    // registers its window for every form.
    using View = std::function<void(TtipsForm&)>;
    void setView(View view) { view_ = std::move(view); }
    std::function<void()> closeRequested;
    // Told after every step, so that the view renders the model again.
    std::function<void()> onChanged;

  private:
    void changed();

    platform::Platform& platform_;
    std::filesystem::path home_;
    profiles::TipsSettings& settings_;
    int position_ = 0;
    bool showAtStartup_ = true;
    bool closed_ = false;
    View view_;
};

// The view the desktop registers for the tip of the day window.
void setTipsWindowView(TtipsForm::View view);

}  // namespace velmora::tools
