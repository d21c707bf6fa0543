// Printing a job as every print command does: through the platform's printer, a failure shown
// with its error text, a cancelled preview left without a word.
#pragma once

#include "platform/platform.h"

namespace velmora::platform {

inline constexpr const char* kPrintErrorTitle = "Print Error";

// True when the job was printed.
bool printAndReport(Platform& platform, const PrintJob& job);

}  // namespace velmora::platform
