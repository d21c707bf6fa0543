#include "reading/attachment_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <system_error>

#include "base/text.h"
#include "base/text_file.h"
#include "mime/safe_file_name.h"
#include "store/message_file.h"

namespace velmora::reading {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 18> kProgramExtensions = {
    ".desktop", ".sh",  ".bash", ".jar", ".exe", ".vbs", ".js",  ".bat",      ".cmd",
    ".com",     ".scr", ".pif",  ".msi", ".py",  ".pl",  ".run", ".appimage", ".ps1"};

bool isMailFolderName(const fs::path& component) {
    const std::string extension = component.extension().string();
    return extension == ".000" || extension == ".001";
}

}  // namespace

bool isShownAttachment(const fs::path& file, const fs::path& folderDirectory) {
    std::error_code ec;
    if (!store::isStoredAttachmentPath(file)) return false;
    if (!fs::is_regular_file(fs::symlink_status(file, ec))) return false;
    const fs::path parent = fs::weakly_canonical(file.parent_path(), ec);
    if (ec) return false;
    const fs::path folder = fs::weakly_canonical(folderDirectory, ec);
    return !ec && parent == folder;
}

bool isProgramOrLauncher(const fs::path& file) {
    const std::string name = file.filename().string();
    for (const char* extension : kProgramExtensions)
        if (endsWithNoCase(name, extension)) return true;
    std::error_code ec;
    const auto permissions = fs::status(file, ec).permissions();
    return !ec && (permissions & (fs::perms::owner_exec | fs::perms::group_exec |
                                  fs::perms::others_exec)) != fs::perms::none;
}

bool hasVbScript(const std::vector<fs::path>& files) {
    for (const auto& file : files)
        if (toLowerAscii(file.filename().string()).find(".vbs") != std::string::npos) return true;
    return false;
}

bool isInsideMailFolder(const fs::path& directory) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(directory, ec);
    for (const auto& component : ec ? directory : resolved)
        if (isMailFolderName(component)) return true;
    return false;
}

std::optional<std::string> copyAttachmentInto(const fs::path& source, const fs::path& directory,
                                              fs::path* written) {
    std::error_code ec;
    if (!fs::is_directory(directory, ec))
        return errorText(std::make_error_code(std::errc::not_a_directory));
    if (isInsideMailFolder(directory))
        return std::string("A mail folder's directory cannot receive attachment files.");
    const std::string ownName =
        mime::safeFileName(store::attachmentOwnName(source.filename().string()));
    const fs::path target = directory / ownName;
    const auto targetStatus = fs::symlink_status(target, ec);
    if (fs::is_directory(targetStatus))
        return errorText(std::make_error_code(std::errc::is_a_directory));
    if (fs::exists(targetStatus) && !fs::is_symlink(targetStatus) &&
        fs::equivalent(source, target, ec))
        return std::string("The attachment is already stored under this name in that directory.");

    // A new temporary file beside the target, then renamed over it.
    const fs::path temporary = directory / ("." + ownName + ".velmora-part");
    fs::remove(temporary, ec);
    const int in = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) return errorText(std::error_code(errno, std::generic_category()));
    const int out =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return errorText(std::error_code(error, std::generic_category()));
    }
    std::array<char, 1 << 16> buffer{};
    int error = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                error = errno;
                break;
            }
            done += put;
        }
        if (error) break;
    }
    if (!error && ::fsync(out) != 0) error = errno;
    ::close(in);
    if (::close(out) != 0 && !error) error = errno;
    if (!error) {
        fs::rename(temporary, target, ec);
        if (ec) error = ec.value();
    }
    if (error) {
        fs::remove(temporary, ec);
        return errorText(std::error_code(error, std::generic_category()));
    }
    if (written) *written = target;
    return std::nullopt;
}

}  // namespace velmora::reading
