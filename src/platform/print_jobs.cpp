#include "platform/print_jobs.h"

namespace velmora::platform {

bool printAndReport(Platform& platform, const PrintJob& job) {
    const PrintResult result = platform.printer.print(job);
    if (result.outcome == PrintOutcome::Failed) {
        platform.system.beep();
        platform.dialogs.error(kPrintErrorTitle, "Printing failed:\r" + result.error);
    }
    return result.outcome == PrintOutcome::Printed;
}

}  // namespace velmora::platform
