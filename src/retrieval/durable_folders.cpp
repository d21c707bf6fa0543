#include "retrieval/durable_folders.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace velmora::retrieval {

std::error_code DurableFolders::syncAll() {
    std::error_code first;
    for (const auto& directory : pending_) {
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        std::error_code error;
        if (fd < 0) {
            error = {errno, std::generic_category()};
        } else {
            if (::fsync(fd) != 0) error = {errno, std::generic_category()};
            ::close(fd);
        }
        if (error && !first) first = error;
    }
    pending_.clear();
    return first;
}

}  // namespace velmora::retrieval
