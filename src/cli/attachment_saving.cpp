#include "cli/attachment_saving.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <system_error>

#include "mime/safe_file_name.h"
#include "store/message_file.h"

namespace velmora::cli {

namespace {

[[noreturn]] void throwErrno(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

// The files created so far; unless released, they are removed again.
class CreatedFiles {
  public:
    ~CreatedFiles() {
        for (const auto& path : paths_) ::unlink(path.c_str());
    }
    void add(std::filesystem::path path) { paths_.push_back(std::move(path)); }
    std::vector<std::filesystem::path> release() {
        std::vector<std::filesystem::path> paths = std::move(paths_);
        paths_.clear();
        return paths;
    }

  private:
    std::vector<std::filesystem::path> paths_;
};

// The first name of the "~n~" rule for `own`, from number `n` on, that is neither in `taken`
// nor in the folder; `n` is left on it. A symbolic link under one of the names stops the search.
std::string nextFreeName(const std::filesystem::path& folder, const std::string& own, int& n,
                         const std::set<std::string>& taken) {
    for (; n <= store::kMaxNameTries; ++n) {
        std::string name = store::numberedAttachmentName("", own, n);
        if (taken.count(name)) continue;
        std::error_code error;
        const auto status = std::filesystem::symlink_status(folder / name, error);
        if (status.type() == std::filesystem::file_type::not_found) return name;
        // A name that cannot be looked at (a folder without search permission) is no free one.
        if (error) throw std::system_error(error, "Attachment file " + (folder / name).string());
        if (std::filesystem::is_symlink(status)) {
            throwErrno(ELOOP,
                       "Attachment file " + (folder / name).string() + " is a symbolic link");
        }
    }
    throwErrno(EEXIST, "No free name for attachment " + own + " in " + folder.string());
}

void writeAll(int fd, mime::TTempFileStream& data, const std::filesystem::path& path) {
    data.ForEachBlock([&](std::string_view block) {
        while (!block.empty()) {
            const ssize_t written = ::write(fd, block.data(), block.size());
            if (written < 0) {
                if (errno == EINTR) continue;
                throwErrno(errno, "Write " + path.string());
            }
            block.remove_prefix(static_cast<std::size_t>(written));
        }
    });
    if (::fsync(fd) != 0) throwErrno(errno, "Write " + path.string());
}

}  // namespace

std::vector<std::filesystem::path> saveAttachments(mime::TmsMessage& message,
                                                   const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    if (!std::filesystem::is_directory(folder)) {
        throwErrno(ENOTDIR, "Attachment folder " + folder.string());
    }

    // Every name is chosen first, so a link in the way stops the save before a byte is written.
    struct Plan {
        std::string own;
        int n = 0;
        std::string name;
    };
    std::vector<Plan> plans;
    std::set<std::string> taken;
    for (int i = 0; i < message.Attachments().Count(); ++i) {
        Plan plan;
        plan.own = mime::safeFileName(message.Attachments().Items(i).FileName());
        plan.name = nextFreeName(folder, plan.own, plan.n, taken);
        taken.insert(plan.name);
        plans.push_back(std::move(plan));
    }

    CreatedFiles created;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        Plan& plan = plans[i];
        std::filesystem::path path;
        int fd = -1;
        for (;;) {
            path = folder / plan.name;
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) break;
            // Taken since the names were chosen: the next number, never the file that is there.
            if (errno != EEXIST) throwErrno(errno, "Create " + path.string());
            taken.insert(plan.name);
            ++plan.n;
            plan.name = nextFreeName(folder, plan.own, plan.n, taken);
        }
        created.add(path);
        try {
            writeAll(fd, message.Attachments().Items(static_cast<int>(i)).Data(), path);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (::close(fd) != 0) throwErrno(errno, "Close " + path.string());
    }
    return created.release();
}

}  // namespace velmora::cli
