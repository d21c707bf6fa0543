#include "core/home_folder.h"

#include <unistd.h>

#include <array>

namespace velmora::core {

std::filesystem::path executableFolder() {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::filesystem::current_path();
    return std::filesystem::path(std::string(buffer.data(), static_cast<std::size_t>(n)))
        .parent_path();
}

std::filesystem::path prepareHomeFolder(const std::optional<std::filesystem::path>& requested) {
    std::filesystem::path home =
        requested ? std::filesystem::absolute(*requested) : executableFolder();
    std::filesystem::create_directories(home);
    home = std::filesystem::canonical(home);
    std::filesystem::current_path(home);
    return home;
}

}  // namespace velmora::core
