// The compose windows of a program run: opening them (the Compose command, a mail-to address,
// Edit In Compose of a Drafts, OutBox or Sent row, the windows of the last session) within the
// limit of ten, the program's sending, and the Send command of the main window. The main window
// holds one, made by registerWindowKinds (compose/window_kinds.h).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "compose/compose_form.h"
#include "compose/compose_host.h"
#include "compose/sending.h"
#include "compose/signature_form.h"
#include "platform/platform.h"

namespace velmora::compose {

class ComposeWindows {
  public:
    ComposeWindows(platform::Platform& platform, std::filesystem::path home, ComposeHost& host);
    ComposeWindows(const ComposeWindows&) = delete;
    ComposeWindows& operator=(const ComposeWindows&) = delete;

    // A new compose window, addressed to `mailTo` when given. Refused (nullptr) while mail is
    // sent or retrieved, and with the information text when ten are open.
    TcomposeForm* openNew(const std::optional<std::string>& mailTo = std::nullopt);
    // Edit In Compose: the message of `row` in the folder window of `folder` (Drafts, OutBox,
    // Sent or a user folder) in a new compose window; nullptr when refused or the row is gone.
    // This is the folder window's open hook for those folders.
    TcomposeForm* openStored(const std::string& folder, int row);
    // The Compose command: "Bring active Compose window to the front" brings up the current
    // compose window when one exists; otherwise (or in the other mode) a new window.
    void composeCommand();
    // "Compose Using Profile": a new compose window written as `profileName` (its From, Reply To
    // and signatures), whatever the active profile is.
    void composeUsingProfile(const std::string& profileName);
    // The main window's Send command: the active compose window, else the current folder
    // window's selected rows when it is OutBox or Sent.
    void sendCommand();
    bool sendAvailable();

    Sending& sending() { return sending_; }
    ComposeShared& shared() { return shared_; }
    ComposeContext& context() { return context_; }
    // The signature window of the active profile, which compose windows copy.
    TsignatureForm& signatureForm() { return signatureForm_; }
    // Loads the signature file of `profileName` into the signature window (empty: emptied) and
    // rebuilds the signature choice of every open compose window.
    void loadSignatures(const std::string& profileName);
    // The Users page's "&Signature": the signature window on the blocks of `profileName`,
    // modal. Its changes reach the compose windows of that profile as they happen; closing
    // writes the file (a failed write is shown). Afterwards the window holds the active
    // profile's blocks again.
    void openSignatureEditor(const std::string& profileName);

  private:
    bool mayOpen();
    TcomposeForm& add(std::unique_ptr<TcomposeForm> window);
    // The signature window holds `profileName`'s blocks (read again from its file).
    void openSignatureForm(const std::string& profileName);
    // The compose windows of `profileName` take the list, their choices moved as `moves` says.
    void followSignatures(const std::string& profileName, const SignatureList& list,
                          const SignatureMoves& moves);

    platform::Platform& platform_;
    std::filesystem::path home_;
    ComposeHost& host_;
    ComposeShared shared_;
    ComposeContext context_;
    Sending sending_;
    TsignatureForm signatureForm_;
    std::string signatureProfile_;
    bool editingSignatures_ = false;  // the signature window is on screen
};

}  // namespace velmora::compose
