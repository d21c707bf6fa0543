#include "core/command_line.h"

#include <stdexcept>

#include "base/text.h"

namespace velmora::core {

std::string StartRequest::handOverText() const {
    return hasMailTo ? mailToAddress : std::string(kJustBringToFront);
}

std::string cutAtQuestionMark(const std::string& address) {
    return address.substr(0, address.find('?'));
}

StartRequest parseCommandLine(const std::vector<std::string>& arguments) {
    StartRequest request;
    std::vector<std::string> args;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--home") {
            if (i + 1 >= arguments.size()) throw std::invalid_argument("--home needs a folder");
            request.home = arguments[++i];
            continue;
        }
        args.push_back(arguments[i]);
    }
    if (args.empty()) return request;

    std::string joined;
    for (const auto& a : args) joined += a;

    const auto argIs = [&](std::size_t i, auto test) { return i < args.size() && test(args[i]); };
    if (args[0].rfind("mailto:", 0) == 0) {
        request.hasMailTo = true;
        request.mailToAddress = cutAtQuestionMark(joined.substr(7));
    } else if (args[0].find('@') != std::string::npos) {
        request.hasMailTo = true;
        request.mailToAddress = joined;
    }
    const auto isM = [](const std::string& a) { return a == "-m"; };
    request.allowSecondInstance = argIs(0, isM) || argIs(1, isM);
    if (args[0].find('@') == std::string::npos) {
        const auto isTh = [](const std::string& a) { return equalsNoCase(a, "-th"); };
        request.fullShutdownPauses = argIs(0, isTh) || argIs(1, isTh);
    }
    return request;
}

}  // namespace velmora::core
