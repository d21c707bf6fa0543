#include "reading/att_save_to_form.h"

namespace velmora::reading {

TattSaveToForm::TattSaveToForm(AttachmentAction action, std::size_t attachmentCount,
                               std::filesystem::path initialDirectory)
    : action_(action), initial_(std::move(initialDirectory)) {
    caption_ = std::string(action == AttachmentAction::Move ? "Move" : "Copy") + " File " +
               (attachmentCount > 1 ? "Attachements" : "Attachement") + " To Selected Folder";
}

std::string TattSaveToForm::acceptCaption() const {
    return action_ == AttachmentAction::Move ? "&Move" : "&Copy";
}

std::optional<std::filesystem::path> TattSaveToForm::run(platform::Dialogs& dialogs) const {
    return dialogs.chooseTargetDirectory({caption_, initial_, acceptCaption()});
}

}  // namespace velmora::reading
