#include "core/error_report.h"

#include "platform/dialogs.h"

namespace velmora::core {

std::string generalErrorText(const std::string& text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
    return text;
}

bool runReported(platform::Dialogs& dialogs, const std::string& applicationTitle,
                 const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const SilentAbort&) {
        return false;
    } catch (const std::exception& e) {
        dialogs.error(applicationTitle, generalErrorText(e.what()));
    } catch (...) {
        dialogs.error(applicationTitle, generalErrorText("Unknown error"));
    }
    return false;
}

}  // namespace velmora::core
