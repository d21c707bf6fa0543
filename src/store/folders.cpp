#include "store/folders.h"

#include <vector>

#include "base/identity.h"
#include "platform/dialogs.h"

namespace velmora::store {

namespace {

std::vector<std::string> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

void eraseAll(std::string& text, std::string_view what) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

}  // namespace

FolderKind folderKindOf(std::string_view logicalPath) {
    if (logicalPath == "InBox") return FolderKind::InBox;
    if (logicalPath == "Drafts") return FolderKind::Drafts;
    if (logicalPath == "OutBox") return FolderKind::OutBox;
    if (logicalPath == "Sent") return FolderKind::Sent;
    if (logicalPath == "Trash") return FolderKind::Trash;
    return FolderKind::User;
}

std::optional<std::string> renamedLogicalPath(std::string_view path, std::string_view oldPath,
                                              std::string_view newPath) {
    if (path == oldPath) return std::string(newPath);
    if (path.size() > oldPath.size() && path.substr(0, oldPath.size()) == oldPath &&
        path[oldPath.size()] == '\\')
        return std::string(newPath) + std::string(path.substr(oldPath.size()));
    return std::nullopt;
}

bool isDefaultFolderName(std::string_view name) {
    for (const char* n : kDefaultFolderNames)
        if (name == n) return true;
    return false;
}

std::string folderExtension(std::string_view name) {
    return isDefaultFolderName(name) ? kDefaultExtension : kUserExtension;
}

std::string toPhysicalPath(std::string_view logicalPath) {
    std::string result;
    for (const auto& part : splitPath(logicalPath)) {
        if (!result.empty()) result += '\\';
        result += part + folderExtension(part);
    }
    return result;
}

std::string toLogicalPath(std::string_view directoryPath) {
    const auto parts = splitPath(directoryPath);
    std::string result;
    bool started = false;
    for (const auto& part : parts) {
        if (!started && part.find(".00") == std::string::npos) continue;
        started = true;
        std::string name = part;
        eraseAll(name, ".000");
        eraseAll(name, ".001");
        if (!result.empty()) result += '\\';
        result += name;
    }
    return result;
}

std::filesystem::path folderDirectory(const std::filesystem::path& home,
                                      std::string_view logicalPath) {
    std::filesystem::path dir = home;
    for (const auto& part : splitPath(logicalPath)) dir /= part + folderExtension(part);
    return dir;
}

std::string lastComponent(std::string_view logicalPath) {
    const auto at = logicalPath.rfind('\\');
    return std::string(at == std::string_view::npos ? logicalPath : logicalPath.substr(at + 1));
}

std::filesystem::path folderIndexFile(const std::filesystem::path& home,
                                      std::string_view logicalPath) {
    return folderDirectory(home, logicalPath) / (lastComponent(logicalPath) + ".dat");
}

std::filesystem::path folderLayoutFile(const std::filesystem::path& home,
                                       std::string_view logicalPath) {
    return folderDirectory(home, logicalPath) / (lastComponent(logicalPath) + ".cfg");
}

std::string folderWindowKey(std::string_view logicalPath) {
    return kFolderWindowPrefix + std::string(logicalPath);
}

std::string readWindowKey(std::string_view logicalPath) {
    return kReadWindowPrefix + std::string(logicalPath);
}

std::string windowKind(std::string_view key, platform::Dialogs& dialogs, int errorCode) {
    const auto dot = key.find('.');
    if (dot == std::string_view::npos) {
        dialogs.warning(kProductName, "FindCharPos Error " + std::to_string(errorCode));
        return "";
    }
    return std::string(key.substr(0, dot));
}

std::string windowKeyTail(std::string_view key, platform::Dialogs& dialogs, int errorCode) {
    const auto dot = key.find('.');
    if (dot == std::string_view::npos) {
        dialogs.warning(kProductName, "FindCharPos Error " + std::to_string(errorCode));
        return "";
    }
    return std::string(key.substr(dot + 1));
}

bool isValidMoveTarget(std::string_view target, std::string_view source) {
    if (target == source) return false;
    if (target == kAttachDirectory || source == kAttachDirectory) return false;
    const FolderKind to = folderKindOf(target);
    switch (folderKindOf(source)) {
        case FolderKind::InBox:
            return to == FolderKind::Trash || to == FolderKind::User;
        case FolderKind::Drafts:
            return to == FolderKind::OutBox || to == FolderKind::Trash;
        case FolderKind::OutBox:
            return to == FolderKind::Drafts || to == FolderKind::Trash;
        case FolderKind::Sent:
            return to == FolderKind::Drafts || to == FolderKind::OutBox ||
                   to == FolderKind::Trash || to == FolderKind::User;
        case FolderKind::Trash:
            return true;
        case FolderKind::User:
            return to == FolderKind::InBox || to == FolderKind::Trash || to == FolderKind::User;
    }
    return false;
}

}  // namespace velmora::store
