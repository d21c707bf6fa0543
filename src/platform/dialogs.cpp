#include "platform/dialogs.h"

namespace velmora::platform {

void Dialogs::information(const std::string& title, const std::string& text) {
    messageBox({MessageKind::Information, title, text, Buttons::Ok, Answer::Ok});
}

void Dialogs::warning(const std::string& title, const std::string& text) {
    messageBox({MessageKind::Warning, title, text, Buttons::Ok, Answer::Ok});
}

void Dialogs::error(const std::string& title, const std::string& text) {
    messageBox({MessageKind::Error, title, text, Buttons::Ok, Answer::Ok});
}

Answer Dialogs::question(const std::string& title, const std::string& text, Buttons buttons,
                         Answer defaultAnswer) {
    return messageBox({MessageKind::Question, title, text, buttons, defaultAnswer});
}

}  // namespace velmora::platform
