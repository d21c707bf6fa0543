#include "store/message_transfer.h"

#include <vector>

#include "base/text_file.h"
#include "mime/attachment.h"
#include "store/message_file.h"

namespace velmora::store {

namespace {

constexpr const char* kCreateFailure = "Create Error 12403\r";
constexpr const char* kLoadFailure = "Load From File Error 12404\r";
constexpr const char* kWriteFailure = "File I/O Error 12530\r";

// Files written into the target so far; removed again unless the copy completes.
class CreatedFiles {
  public:
    ~CreatedFiles() {
        if (kept_) return;
        for (const auto& file : files_) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
    }
    void add(std::filesystem::path file) { files_.push_back(std::move(file)); }
    void keep() { kept_ = true; }

  private:
    std::vector<std::filesystem::path> files_;
    bool kept_ = false;
};

bool fileExists(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::exists(file, ec);
}

// Reads `from` whole and writes it atomically to `to`; the failure text when it cannot.
std::optional<std::string> copyFile(const std::filesystem::path& from,
                                    const std::filesystem::path& to) {
    const auto bytes = readWholeFile(from);
    if (!bytes) {
        const auto error =
            fileExists(from) ? std::errc::io_error : std::errc::no_such_file_or_directory;
        return kLoadFailure + errorText(std::make_error_code(error));
    }
    if (auto ec = writeFileAtomically(to, *bytes)) return kWriteFailure + errorText(ec);
    return std::nullopt;
}

}  // namespace

CopyOutcome copyStoredMessage(const std::filesystem::path& sourceDirectory,
                              const TObjListViewVLF& item,
                              const std::filesystem::path& targetDirectory,
                              const platform::Clock& clock) {
    CopyOutcome outcome;
    TObjListViewVLF copy = item;
    copy.fileName = newMessageFileName(clock, targetDirectory);
    const auto source = messageFilePath(sourceDirectory, item.fileName);
    const auto target = messageFilePath(targetDirectory, copy.fileName);
    CreatedFiles created;

    if (item.attachList.empty()) {
        if (auto failure = copyFile(source, target)) {
            outcome.failure = *failure;
            return outcome;
        }
        created.add(target);
    } else {
        copy.attachList.clear();
        for (const auto& oldPath : item.attachList) {
            const std::string own = attachmentOwnName(mime::lastPathComponent(oldPath));
            const auto name = uniqueAttachmentName(targetDirectory, copy.fileName, own);
            if (!name) {
                outcome.failure = std::string(kWriteFailure) +
                                  errorText(std::make_error_code(std::errc::file_exists));
                return outcome;
            }
            const auto newPath = targetDirectory / *name;
            copy.attachList.push_back(newPath.string());
            // Already gone, or not ours to read (not a regular file inside the source folder):
            // listed, and reported when shown.
            if (!isFolderAttachmentFile(sourceDirectory, oldPath)) continue;
            if (auto failure = copyFile(oldPath, newPath)) {
                outcome.failure = *failure;
                return outcome;
            }
            created.add(newPath);
        }
        try {
            mime::TmsMessage message;
            if (auto error = loadMessageFile(source, message)) {
                outcome.failure = kLoadFailure + *error;
                return outcome;
            }
            writePrivateHeaders(message, copy, PrioritySpelling::ExistingMessage);
            if (auto error = saveMessageFile(message, target)) {
                outcome.failure = kWriteFailure + *error;
                return outcome;
            }
            created.add(target);
        } catch (const std::exception& e) {
            outcome.failure = kCreateFailure + std::string(e.what());
            return outcome;
        }
    }
    copy.attachCount = static_cast<int>(copy.attachList.size());
    created.keep();
    outcome.item = std::move(copy);
    return outcome;
}

std::error_code deleteStoredMessage(const std::filesystem::path& directory,
                                    const TObjListViewVLF& item) {
    for (const auto& attachment : item.attachList) {
        // Only the folder's own files: a damaged index may name another folder's attachment.
        if (!isFolderAttachmentFile(directory, attachment)) continue;
        std::error_code ignored;
        std::filesystem::remove(attachment, ignored);
    }
    std::error_code ec;
    if (item.fileName.empty() || item.fileName.find_first_of("/\\") != std::string::npos ||
        item.fileName == "..")
        return ec;
    std::filesystem::remove(messageFilePath(directory, item.fileName), ec);
    return ec;
}

}  // namespace velmora::store
