// The progress box of a mail transfer `TretrieveHeadersDialogForm`
// ("RetrieveDialog.RetrieveDialog"), shared by retrieval and sending: a caption, an upper and a
// lower status line, an upper bar for the current message, a lower bar for the whole session, a
// time-out line and a Cancel button. Its screen position is remembered from one session to the next
// by the caller (vl.cfg).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/child_window.h"

namespace velmora::retrieval {

inline constexpr const char* kProgressBoxKey = "RetrieveDialog.RetrieveDialog";

class TretrieveHeadersDialogForm : public platform::ChildWindow {
  public:
    TretrieveHeadersDialogForm();

    // Shows the box for a new session: caption, empty lines, both bars at 0, no time-out line.
    void start(const std::string& caption);
    void close();

    const std::string& upperLine() const { return upper_; }
    const std::string& lowerLine() const { return lower_; }
    void setUpperLine(std::string text);
    void setLowerLine(std::string text);

    // Upper bar: percent of the current message (-1 from the client means unknown: 0 is shown).
    int upperBar() const { return upperBar_; }
    void setUpperBar(int percent);
    // Lower bar: 0 to 100 x the number of messages; after message k (from 0) it stands at
    // 100 x k + 100.
    std::int64_t lowerBar() const { return lowerBar_; }
    std::int64_t lowerBarMax() const { return lowerBarMax_; }
    void setMessageCount(std::int64_t count);
    void messageDone(std::int64_t k);

    const std::string& timeoutLine() const { return timeout_; }
    bool timeoutLineVisible() const { return timeoutVisible_; }
    void setTimeoutLine(std::string text);
    void hideTimeoutLine() {
        timeoutVisible_ = false;
        changed();
    }

    // The Cancel button; the session sets what it does.
    std::function<void()> onCancel;
    void cancelClick() {
        if (onCancel) onCancel();
    }
    // Told after every change, so a view repaints.
    std::function<void()> onChanged;

  private:
    void changed() {
        if (onChanged) onChanged();
    }

    std::string upper_;
    std::string lower_;
    std::string timeout_;
    bool timeoutVisible_ = false;
    int upperBar_ = 0;
    std::int64_t lowerBar_ = 0;
    std::int64_t lowerBarMax_ = 100;
};

}  // namespace velmora::retrieval
