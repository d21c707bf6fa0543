#include "platform/printing.h"

#include <cstdio>

#include "base/identity.h"

namespace velmora::platform {

std::string printDateTime(const LocalTime& now) {
    const int hour12 = now.hour % 12 == 0 ? 12 : now.hour % 12;
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d %s", now.month, now.day, now.year,
                  hour12, now.minute, now.hour < 12 ? "AM" : "PM");
    return text;
}

PrintJob textPrintJob(std::string title, std::string_view text, const LocalTime& now) {
    PrintJob job;
    job.title = std::move(title);
    job.rightHeader = printDateTime(now);
    job.footer = std::string(kProductName) + " Version " + kVersion;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        job.lines.emplace_back(line);
        start = end + 1;
    }
    return job;
}

}  // namespace velmora::platform
