#include "mime/safe_file_name.h"

#include <cerrno>
#include <system_error>

#include "base/text.h"
#include "mime/limits.h"

namespace velmora::mime {

namespace {

// Longest extension kept when a long name has to be shortened.
constexpr std::size_t kMaxKeptExtension = 16;

bool isBlankOrDot(char c) {
    return c == ' ' || c == '.' || c == '\t';
}

// Length of a Unicode format character that reorders or hides text (direction marks, embeddings,
// overrides and isolates) at `pos`, or 0.
std::size_t directionControlLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    if (pos + 1 < text.size() && byte(0) == 0xD8 && byte(1) == 0x9C) return 2;  // U+061C
    if (pos + 2 >= text.size() || byte(0) != 0xE2) return 0;
    if (byte(1) == 0x80 &&
        ((byte(2) >= 0x8B && byte(2) <= 0x8F) || (byte(2) >= 0xAA && byte(2) <= 0xAE))) {
        return 3;  // U+200B..U+200F, U+202A..U+202E
    }
    if (byte(1) == 0x81 && byte(2) >= 0xA6 && byte(2) <= 0xA9) return 3;  // U+2066..U+2069
    return 0;
}

std::string_view trimBlanksAndDots(std::string_view text) {
    while (!text.empty() && isBlankOrDot(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlankOrDot(text.back())) text.remove_suffix(1);
    return text;
}

std::string shorten(std::string_view name) {
    if (name.size() <= kMaxTextLength) return std::string(name);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && name.size() - dot <= kMaxKeptExtension) {
        const std::string_view extension = name.substr(dot);
        std::string shortened(cutUtf8(name.substr(0, dot), kMaxTextLength - extension.size()));
        return shortened + std::string(extension);
    }
    return std::string(cutUtf8(name, kMaxTextLength));
}

std::string reduce(std::string_view name) {
    const std::size_t separator = name.find_last_of("/\\");
    if (separator != std::string_view::npos) name.remove_prefix(separator + 1);
    if (name.size() >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
        name.remove_prefix(2);  // a drive letter
    }
    std::string clean;
    clean.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F) {
            ++i;
        } else if (const std::size_t skip = directionControlLength(name, i)) {
            i += skip;
        } else {
            clean += name[i++];
        }
    }
    std::string shortened = shorten(trimBlanksAndDots(clean));
    return std::string(trimBlanksAndDots(shortened));
}

}  // namespace

std::string safeFileName(std::string_view name, std::string_view fallback) {
    std::string safe = reduce(name);
    if (safe.empty()) safe = reduce(fallback);
    if (safe.empty()) safe = "attachment";
    return safe;
}

std::filesystem::path safeTargetPath(const std::filesystem::path& folder, std::string_view name) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw std::system_error(error ? error : std::make_error_code(std::errc::not_a_directory),
                                "Attachment folder " + folder.string());
    }
    const std::filesystem::path target = folder / safeFileName(name);
    const auto status = std::filesystem::symlink_status(target, error);
    if (std::filesystem::is_symlink(status)) {
        throw std::system_error(std::make_error_code(std::errc::too_many_symbolic_link_levels),
                                "Attachment file " + target.string() + " is a symbolic link");
    }
    if (std::filesystem::is_directory(status)) {
        throw std::system_error(std::make_error_code(std::errc::is_a_directory),
                                "Attachment file " + target.string());
    }
    return target;
}

}  // namespace velmora::mime
