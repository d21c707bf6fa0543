#include "addressbook/verify_form.h"

#include <cmath>

#include "base/identity.h"
#include "base/text.h"
#include "platform/print_jobs.h"

namespace velmora::addressbook {

namespace {
constexpr const char* kNoAnswerMark = " [no answer from the DNS server]";
}

TckAddressForm::TckAddressForm(platform::Platform& platform, VerificationHost& host,
                               LookupFactory makeLookup, std::string book,
                               std::vector<VerifyEntry> entries, std::string soundFile)
    : platform_(platform),
      host_(host),
      makeLookup_(std::move(makeLookup)),
      book_(std::move(book)),
      entries_(std::move(entries)),
      soundFile_(std::move(soundFile)) {}

TckAddressForm::~TckAddressForm() {
    if (open_) close();
}

int TckAddressForm::percent(int count) const {
    return total_ == 0 ? 0 : static_cast<int>(std::lround(100.0 * count / total_));
}

void TckAddressForm::open() {
    if (open_) return;
    open_ = true;
    titleBefore_ = host_.applicationTitle();
    autoWasRunning_ = host_.autoCheckRunning();
    if (autoWasRunning_) host_.stopAutoCheck();
    host_.showStatus("Auto-Mail Checking Disabled");
    host_.setAutoCheckMenuChecked(false);
}

void TckAddressForm::startCheck() {
    if (!open_ || checking_) return;
    if (!busyMarked_) {
        busyBefore_ = host_.busy();
        if (busyBefore_) {
            platform_.system.beep();
            platform_.dialogs.information(
                kProductName,
                "Mail is being sent or retrieved: check the addresses when it has finished.");
            return;
        }
        host_.setBusy(true);
        busyMarked_ = true;
    }
    host_.setConfigCloseEnabled(false);
    std::unique_ptr<MxLookup> lookup = makeLookup_();
    good_.clear();
    bad_.clear();
    verified_ = unverified_ = checked_ = unanswered_ = total_ = 0;
    startEnabled_ = false;
    printEnabled_ = false;
    caption_ = "Verification In Progress - Please Wait";
    closeCaption_ = "Cancel";
    checking_ = true;
    cancel_ = false;
    for (const VerifyEntry& e : entries_)
        for (const std::string& line : e.entry.addresses)
            if (!trimmed(line).empty()) ++total_;
    changed();

    const int records = static_cast<int>(entries_.size());
    int record = 0;
    for (const VerifyEntry& e : entries_) {
        ++record;
        const std::string name(trimmed(e.entry.fullName));
        const std::string prefix = std::to_string(e.position + 1) + " " +
                                   (name.empty() ? std::string("[No Full Name]") : name) + ": ";
        for (const std::string& line : e.entry.addresses) {
            if (trimmed(line).empty()) continue;
            platform_.events.processEvents();
            if (cancel_) break;
            addressLabel_ = std::string(trimmed(line));
            changed();
            const MxLookup::Answer answer = lookup->lookup(verificationDomain(line));
            ++checked_;
            if (!answer.answered) {
                ++unanswered_;
                bad_.push_back(prefix + std::string(trimmed(line)) + kNoAnswerMark);
            } else if (answer.mxCount == 0) {
                ++unverified_;
                bad_.push_back(prefix + std::string(trimmed(line)));
            } else {
                ++verified_;
                good_.push_back(prefix + std::string(trimmed(line)));
            }
            verifiedLabel_ = "Verified Addresses " + std::to_string(verified_);
            unverifiedLabel_ = "Unverified Addresses " + std::to_string(unverified_);
            recordLabel_ = "On Record " + std::to_string(record) + " of " + std::to_string(records);
            addressLabel_ =
                "On Address " + std::to_string(checked_) + " of " + std::to_string(total_);
            host_.setApplicationTitle("Verify " + std::to_string(checked_) + " of " +
                                      std::to_string(total_));
            changed();
        }
        if (cancel_) break;
    }

    checking_ = false;
    platform_.system.beep();
    if (cancel_) {
        caption_ = "Verification Cancelled";
        addressLabel_ = "*** Cancelled ***";
        host_.setApplicationTitle(" *** Cancelled ***");
    } else {
        if (total_ == 0)
            caption_ = "Verification Finished - A Total of 0 Addresses Were Verified";
        else if (total_ == 1 && verified_ == 1)
            caption_ = "Verification Finished - A Total of 1 Address Was Verified";
        else
            caption_ = "Verification Finished - A Total of " + std::to_string(verified_) +
                       " Addresses Were Verified out of " + std::to_string(total_);
        addressLabel_ = "*** Finished ***";
        host_.setApplicationTitle(" *** Finished ***");
        if (!soundFile_.empty()) platform_.system.playSound(soundFile_);
    }
    startCaption_ = "Check Again";
    startEnabled_ = true;
    closeCaption_ = "Close";
    printEnabled_ = !bad_.empty();
    changed();
    if (unanswered_ > 0)
        platform_.dialogs.warning(kProductName, "The DNS server did not answer for " +
                                                    std::to_string(unanswered_) + " of " +
                                                    std::to_string(checked_) +
                                                    " address(es): they could not be checked.");
    if (closeRequested_) close();
}

void TckAddressForm::cancelOrCloseClick() {
    if (checking_) {
        if (!cancel_) {
            cancel_ = true;
            closeCaption_ = "Close";
        } else {
            closeRequested_ = true;  // closes once the check has stopped
        }
        changed();
        return;
    }
    close();
}

void TckAddressForm::close() {
    if (!open_) return;
    if (checking_) {
        cancel_ = true;
        closeRequested_ = true;
        return;
    }
    open_ = false;
    host_.setConfigCloseEnabled(true);
    cancel_ = false;
    if (busyMarked_) {
        host_.setBusy(busyBefore_);
        busyMarked_ = false;
    }
    if (autoWasRunning_) {
        host_.restartAutoCheck();
        host_.setAutoCheckMenuChecked(host_.autoCheckRunning());
    }
    host_.setApplicationTitle(titleBefore_);
}

void TckAddressForm::printClick() {
    if (printEnabled_) platform::printAndReport(platform_, unverifiedPrintJob());
}

PrintJob TckAddressForm::unverifiedPrintJob() const {
    PrintJob job;
    job.title = "Unverified Address List";
    job.rightHeader = platform::printDateTime(platform_.clock.localNow());
    job.footer = std::string(kProductName) + " Version " + kVersion;
    job.fontName = "Sans Serif";
    job.fontSize = 10;
    job.lines = {"Address Book: " + book_, " "};
    job.lines.insert(job.lines.end(), bad_.begin(), bad_.end());
    return job;
}

}  // namespace velmora::addressbook
