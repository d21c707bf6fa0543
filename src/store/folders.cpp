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

enum class FolderClass { InBox, Drafts, OutBox, Sent, Trash, User, Attach };

FolderClass classify(std::string_view name) {
    if (name == "InBox") return FolderClass::InBox;
    if (name == "Drafts") return FolderClass::Drafts;
    if (name == "OutBox") return FolderClass::OutBox;
    if (name == "Sent") return FolderClass::Sent;
    if (name == "Trash") return FolderClass::Trash;
    if (name == kAttachDirectory) return FolderClass::Attach;
    return FolderClass::User;
}

}  // namespace

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
    const FolderClass to = classify(target);
    if (to == FolderClass::Attach) return false;
    switch (classify(source)) {
        case FolderClass::InBox:
            return to == FolderClass::Trash || to == FolderClass::User;
        case FolderClass::Drafts:
            return to == FolderClass::OutBox || to == FolderClass::Trash;
        case FolderClass::OutBox:
            return to == FolderClass::Drafts || to == FolderClass::Trash;
        case FolderClass::Sent:
            return to == FolderClass::Drafts || to == FolderClass::OutBox ||
                   to == FolderClass::Trash || to == FolderClass::User;
        case FolderClass::Trash:
            return true;
        case FolderClass::User:
            return to == FolderClass::InBox || to == FolderClass::Trash ||
                   to == FolderClass::User;
        case FolderClass::Attach:
            return false;
    }
    return false;
}

}  // namespace velmora::store
