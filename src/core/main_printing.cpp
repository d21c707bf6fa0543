// The print commands of the frame: File "&Print", the Mail menu's "&Print Message", the toolbar's
// Print button and the windows' own print entries all print what the window in front offers,
// else the current folder window's message; "Pri&nter Setup" opens the printer's settings.
#include "core/main_form.h"
#include "platform/print_jobs.h"

namespace velmora::core {

platform::ChildWindow* TmainForm::printTarget() const {
    if (!children_.empty() && !children_.front()->printCaption().empty())
        return children_.front().get();
    if (currentFolderWindow_ && !currentFolderWindow_->printCaption().empty())
        return currentFolderWindow_;
    return nullptr;
}

void TmainForm::registerPrintCommands() {
    commands_.add(platform::kPrintCommand,
                  {[this] {
                       platform::ChildWindow* target = printTarget();
                       if (!target) return;
                       const std::optional<platform::Printout> printout = target->printout();
                       if (!printout) return;
                       platform::printAndReport(
                           platform_, platform::textPrintJob(printout->title, printout->text,
                                                             platform_.clock.localNow()));
                   },
                   [this] { return printTarget() != nullptr; }});
    commands_.add("printerSetup", {[this] { platform_.printer.setUp(); }, {}});
}

std::string TmainForm::printCaption(const char* fallback) const {
    const platform::ChildWindow* target = printTarget();
    return target ? target->printCaption() : fallback;
}

}  // namespace velmora::core
