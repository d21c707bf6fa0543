// The "Verify Addresses" window `TckAddressForm`: every address of the selected entries is
// checked for mail exchangers of its domain, into the verified ("Good Addresses") and the
// unverified ("Bad Addresses") lists, with counters, percentages and progress; the check can be
// cancelled and the unverified list printed. Automatic mail checking is suspended while the
// window is open and the busy flag set while it checks; closing restores both as they were.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/entry.h"
#include "addressbook/mx_lookup.h"
#include "addressbook/print_layout.h"
#include "platform/platform.h"

namespace velmora::addressbook {

// What the window needs of the main window.
class VerificationHost {
  public:
    virtual ~VerificationHost() = default;
    virtual bool busy() const = 0;
    virtual void setBusy(bool busy) = 0;
    virtual bool autoCheckRunning() const = 0;
    virtual void stopAutoCheck() = 0;
    virtual void restartAutoCheck() = 0;
    virtual std::string applicationTitle() const = 0;
    virtual void setApplicationTitle(const std::string& title) = 0;
    virtual void showStatus(const std::string& text) = 0;
    // The check mark of "&Auto-Mail Check".
    virtual void setAutoCheckMenuChecked(bool checked) { (void)checked; }
    // The configuration window's "Close" and "Help".
    virtual void setConfigCloseEnabled(bool enabled) { (void)enabled; }
};

struct VerifyEntry {
    int position = 0;  // in the book, from 0
    TEmailNameObjListView entry;
};

class TckAddressForm {
  public:
    using LookupFactory = std::function<std::unique_ptr<MxLookup>()>;

    TckAddressForm(platform::Platform& platform, VerificationHost& host, LookupFactory makeLookup,
                   std::string book, std::vector<VerifyEntry> entries, std::string soundFile = "");
    ~TckAddressForm();

    // Shows the window: automatic checking is suspended.
    void open();
    // "Start Check" / "Check Again": runs the whole check, letting events run before each
    // address (so "Cancel" works).
    void startCheck();
    // The one button: "Cancel" while checking (sets the cancel flag), "Close" otherwise.
    void cancelOrCloseClick();
    // Closing: automatic checking, the busy flag and the application title as they were.
    void close();

    bool isOpen() const { return open_; }
    bool checking() const { return checking_; }
    const std::string& caption() const { return caption_; }
    const std::string& startCaption() const { return startCaption_; }
    bool startEnabled() const { return startEnabled_; }
    const std::string& closeCaption() const { return closeCaption_; }
    bool printEnabled() const { return printEnabled_; }
    const std::vector<std::string>& goodAddresses() const { return good_; }
    const std::vector<std::string>& badAddresses() const { return bad_; }
    const std::string& recordLabel() const { return recordLabel_; }
    const std::string& addressLabel() const { return addressLabel_; }
    const std::string& verifiedLabel() const { return verifiedLabel_; }
    const std::string& unverifiedLabel() const { return unverifiedLabel_; }
    // Percentages of verified, unverified and checked addresses.
    int verifiedPercent() const { return percent(verified_); }
    int unverifiedPercent() const { return percent(unverified_); }
    int checkedPercent() const { return percent(checked_); }
    int total() const { return total_; }
    int unanswered() const { return unanswered_; }

    PrintJob unverifiedPrintJob() const;
    // "Print Unverified Address List".
    void printClick();
    // The window asks the view to repaint after each address.
    std::function<void()> onChanged;

  private:
    int percent(int count) const;
    void changed() {
        if (onChanged) onChanged();
    }

    platform::Platform& platform_;
    VerificationHost& host_;
    LookupFactory makeLookup_;
    std::string book_;
    std::vector<VerifyEntry> entries_;
    std::string soundFile_;

    bool open_ = false;
    bool checking_ = false;
    bool cancel_ = false;
    bool closeRequested_ = false;
    bool autoWasRunning_ = false;
    bool busyMarked_ = false;
    bool busyBefore_ = false;
    std::string titleBefore_;
    std::string caption_ = "Verify Addresses";
    std::string startCaption_ = "Start Check";
    bool startEnabled_ = true;
    std::string closeCaption_ = "Close";
    bool printEnabled_ = false;
    std::vector<std::string> good_;
    std::vector<std::string> bad_;
    std::string recordLabel_ = "On Record 0 of 0";
    std::string addressLabel_ = "On Address 0 of 0";
    std::string verifiedLabel_ = "Verified Addresses 0";
    std::string unverifiedLabel_ = "Unverified Addresses 0";
    int total_ = 0;
    int verified_ = 0;
    int unverified_ = 0;
    int checked_ = 0;
    int unanswered_ = 0;
};

}  // namespace velmora::addressbook
