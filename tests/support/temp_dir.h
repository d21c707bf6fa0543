// A fresh directory under the system's temporary folder, removed with everything in it when the
// object goes out of scope. Tests that touch files work only inside one.
#pragma once

#include <filesystem>
#include <string>

namespace velmora::testing {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Whole-file helpers for fixtures; readFile returns "" for a missing file.
std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);
// The source tree (for fixtures and the message corpus), from VELMORA_SOURCE_DIR.
std::filesystem::path sourceDir();

}  // namespace velmora::testing
