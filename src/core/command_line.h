// What the program does with its command line: a normal start, a start that allows a second
// instance, a mail-to address to compose to, and whether shutdown pauses take their full length.
// `--home DIR` is the program's own option and is taken out before the table applies.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::core {

struct StartRequest {
    std::optional<std::filesystem::path> home;  // from --home DIR
    bool allowSecondInstance = false;           // "-m" as argument 1 or 2
    bool fullShutdownPauses = false;            // "-th" (any case) as argument 1 or 2
    bool hasMailTo = false;
    std::string mailToAddress;  // the address for the mail-to action
    // Text handed to a running instance: the address, or "justBringToFront".
    std::string handOverText() const;
};

inline constexpr const char* kJustBringToFront = "justBringToFront";

// Applies the command-line table to the arguments after the program name.
// Throws std::invalid_argument when --home has no folder after it.
StartRequest parseCommandLine(const std::vector<std::string>& arguments);

// Cuts a mail-to address before its first "?", as a running instance does with what it is
// handed.
std::string cutAtQuestionMark(const std::string& address);

}  // namespace velmora::core
