// The attachment dialog `TattSaveToForm`: a modal directory chooser whose accept button reads
// "&Move" or "&Copy" by the pending action, captioned "Move File Attachement To Selected Folder"
// or "Copy File Attachement ..." ("Attachements" for more than one).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/dialogs.h"

namespace velmora::reading {

enum class AttachmentAction { Move, Copy };

class TattSaveToForm {
  public:
    TattSaveToForm(AttachmentAction action, std::size_t attachmentCount,
                   std::filesystem::path initialDirectory);
    const std::string& caption() const { return caption_; }
    std::string acceptCaption() const;
    // The chosen directory; nullopt when the user cancelled.
    std::optional<std::filesystem::path> run(platform::Dialogs& dialogs) const;

  private:
    AttachmentAction action_;
    std::string caption_;
    std::filesystem::path initial_;
};

}  // namespace velmora::reading
