// Plain-text printing with a page header and footer: what a window hands over to print, the job
// the platform lays out and prints, and the printer the platform offers (a print preview from
// which the user prints, and the printer set-up).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/events.h"

namespace velmora::platform {

// What a window prints: the page title and the text (UTF-8, lines end in LF or CR LF).
struct Printout {
    std::string title;
    std::string text;
};

// A line of its own that starts a new page.
inline constexpr const char* kPageBreak = "\f";

struct PrintJob {
    std::string title;        // left of the page header
    std::string rightHeader;  // "mm/dd/yyyy hh:mm AM/PM"
    std::string footer;       // product name, " Version " and the version
    std::string fontName = "Courier New";
    int fontSize = 10;
    std::vector<std::string> lines;  // UTF-8; the platform wraps long ones
};

enum class PrintOutcome { Printed, Cancelled, Failed };

struct PrintResult {
    PrintOutcome outcome = PrintOutcome::Printed;
    std::string error;  // with Failed
};

class Printer {
  public:
    virtual ~Printer() = default;
    // Shows the job in a print preview; the user prints it from there or cancels.
    virtual PrintResult print(const PrintJob& job) = 0;
    // "Pri&nter Setup": the page and printer settings the next jobs use.
    virtual void setUp() = 0;
};

// "12/10/2026 09:30 AM".
std::string printDateTime(const LocalTime& now);
// A job of `text` under `title`, dated `now`, with the product's footer.
PrintJob textPrintJob(std::string title, std::string_view text, const LocalTime& now);

}  // namespace velmora::platform
