// The folder tree commands of the main window: opening, creating, renaming and deleting folders.
#include <algorithm>

#include "base/identity.h"
#include "base/text.h"
#include "core/main_form.h"
#include "reading/transfers.h"
#include "store/folders.h"

namespace velmora::core {

namespace {

const char* const kNotAMailFolderText =
    "This Folder is not associated with Velmora Pro.\r\r"
    "Its folder structure is missing the \".000\" or \".001\" extension.\r\r"
    "Most likely this folder was created manually.\r\r"
    "If you wish to keep this folder, change its attribute\r\r"
    "to Hidden so Velmora Pro cannot see it.";

bool pathHasMailExtension(const std::filesystem::path& home, const std::filesystem::path& dir) {
    const std::string relative = dir.lexically_relative(home).string();
    return relative.find(".000") != std::string::npos || relative.find(".001") != std::string::npos;
}

bool liesInDefaultFolder(const std::filesystem::path& home, const std::filesystem::path& dir) {
    const std::string relative = dir.lexically_relative(home).string();
    for (const char* name : store::kDefaultFolderNames)
        if (relative.find(std::string(name) + store::kDefaultExtension) != std::string::npos)
            return true;
    return false;
}

bool holdsMessageFiles(const std::filesystem::path& dir) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".vlf") return true;
    return false;
}

bool holdsDirectory(const std::filesystem::path& dir) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) return true;
    }
    return false;
}

bool holdsAnyFile(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec);
    return !ec && it != std::filesystem::directory_iterator();
}

void removeFiles(const std::filesystem::path& dir, bool onlyMessageFiles) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        if (onlyMessageFiles && it->path().extension() != ".vlf") continue;
        files.push_back(it->path());
    }
    for (const auto& f : files) {
        std::error_code ignored;  // a file that cannot be deleted is left behind
        std::filesystem::remove(f, ignored);
    }
}

// A folder name the user typed that cannot name a user folder, with the reason; empty when fine.
std::string refusedFolderName(const std::string& name) {
    if (name.empty() || name.find_first_not_of(' ') == std::string::npos)
        return "A folder needs a name.";
    if (name.find_first_of("\\/") != std::string::npos || name == "." || name == "..")
        return "A folder name cannot contain \"\\\" or \"/\".";
    if (store::isDefaultFolderName(name) || name == store::kAttachDirectory)
        return "\"" + name + "\" is the name of a default folder.\rPlease choose another name.";
    return "";
}

}  // namespace

void TmainForm::refreshTree() {
    tree_->refresh();
    notifyTree();
}

void TmainForm::setTreeSelection(std::filesystem::path node) {
    treeSelection_ = std::move(node);
}

void TmainForm::treeOpen(const std::filesystem::path& dir) {
    store::TMailNode* node = tree_->find(dir);
    if (!node || node->isRoot() || node->hasChildren()) return;
    if (!pathHasMailExtension(home_, dir)) {
        if (!equalsNoCase(dir.filename().string(), store::kAttachDirectory)) {
            platform_.system.beep();
            platform_.dialogs.information(applicationTitle_, kNotAMailFolderText);
        }
        return;
    }
    openFolderWindow(node->logicalPath(), true);
}

void TmainForm::treeCreateFolder(const std::filesystem::path& selected) {
    store::TMailNode* node = tree_->find(selected);
    if (!node || liesInDefaultFolder(home_, selected)) return;
    if (!node->isRoot()) {
        if (!node->isUserNode()) return;
        const std::string logical = node->logicalPath();
        if (holdsMessageFiles(selected)) {
            platform_.system.beep();
            if (platform_.dialogs.question(
                    "Delete Confirmation Message",
                    "Warning: Mail Messages Exist In This Folder!\rDo You Want To Delete Them In "
                    "Order To Create A Sub-Folder?",
                    platform::Buttons::YesNo, platform::Answer::No) != platform::Answer::Yes)
                return;
            if (platform_.dialogs.question("Final Confirmation Message",
                                           "Warning: Final Check - Mail Messages Exist In This "
                                           "Folder - Do You Really Want To Delete Them?",
                                           platform::Buttons::YesNo,
                                           platform::Answer::No) != platform::Answer::Yes)
                return;
            if (!logical.empty()) {
                reading::TinboxForm& window = openFolderWindow(logical, true);
                deleteAllMessages(window);
                removeFiles(selected, true);
                closeChild(window);
            } else {
                removeFiles(selected, true);
            }
        } else if (!logical.empty()) {
            // A folder with subfolders opens no window: close the one this folder had.
            if (reading::TinboxForm* window = findFolderWindow(logical)) closeChild(*window);
        }
        std::error_code ignored;
        if (!logical.empty())
            std::filesystem::remove(store::folderLayoutFile(home_, logical), ignored);
    }

    std::filesystem::path created;
    for (int n = 1; n < 10'000; ++n) {
        const std::string name =
            n == 1 ? std::string("New Folder") : "New Folder (" + std::to_string(n) + ")";
        const auto candidate = selected / (name + store::kUserExtension);
        std::error_code ec;
        if (std::filesystem::exists(candidate, ec)) continue;
        if (!std::filesystem::create_directory(candidate, ec) || ec) return;
        created = candidate;
        break;
    }
    if (created.empty()) return;
    refreshTree();
    treeSelection_ = created;
    notifyTree();
    if (store::TMailNode* fresh = tree_->find(created)) {
        openFolderWindow(fresh->logicalPath(), true);
        if (view_) view_->editFolderLabel(*fresh);
    }
}

bool TmainForm::treeCanRename(const std::filesystem::path& dir) const {
    const store::TMailNode* node = tree_->find(dir);
    return node && node->isUserNode() && settings_.vl.folderTreeShown;
}

bool TmainForm::treeRename(const std::filesystem::path& dir, const std::string& newName) {
    store::TMailNode* node = tree_->find(dir);
    if (!node || !node->isUserNode()) return false;
    if (newName == node->label) return false;
    if (const std::string reason = refusedFolderName(newName); !reason.empty()) {
        platform_.system.beep();
        platform_.dialogs.information(applicationTitle_, reason);
        return false;
    }
    const std::string oldLogical = node->logicalPath();
    const std::string oldName = node->label;
    const std::filesystem::path target = dir.parent_path() / (newName + node->extension);
    std::error_code ec;
    if (std::filesystem::exists(target, ec)) {
        platform_.system.beep();
        platform_.dialogs.information(applicationTitle_,
                                      "A folder named \"" + newName + "\" already exists here.");
        return false;
    }

    // Windows of the folder write their index and layout under the old names when they close,
    // so close nothing: rename the files, then the directory, then re-key the windows.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> renamed;
    for (const char* ext : {".dat", ".cfg"}) {
        const auto from = dir / (oldName + ext);
        const auto to = dir / (newName + ext);
        if (!std::filesystem::exists(from, ec)) continue;
        std::filesystem::rename(from, to, ec);
        if (!ec) renamed.emplace_back(from, to);
    }
    std::filesystem::rename(dir, target, ec);
    if (ec) {
        for (const auto& [from, to] : renamed) {
            std::error_code ignored;
            std::filesystem::rename(to, from, ignored);
        }
        platform_.system.beep();
        platform_.dialogs.warning(applicationTitle_, "Rename Error\r" + ec.message());
        return false;
    }

    if (!oldLogical.empty()) {
        const auto cut = oldLogical.rfind('\\');
        const std::string newLogical =
            cut == std::string::npos ? newName : oldLogical.substr(0, cut + 1) + newName;
        for (const auto& child : children_) {
            child->folderRenamed(oldLogical, newLogical);
            if (view_) view_->childChanged(*child);
        }
    }
    refreshTree();
    treeSelection_ = home_ / "InBox.000";
    openFolderWindow("InBox", true);
    notifyTree();
    return true;
}

void TmainForm::deleteAllMessages(reading::TinboxForm& window) {
    for (int row = static_cast<int>(window.rowCount()) - 1; row >= 0; --row)
        reading::deletePermanently(window, row, *this, platform_);
}

bool TmainForm::treeCanDrop(const std::filesystem::path& dir,
                            const reading::TinboxForm& source) const {
    const store::TMailNode* node = tree_->find(dir);
    if (!node || node->isRoot() || source.selectedRows().empty()) return false;
    if (node->hasChildren()) return true;  // refused on the drop itself, with its reason
    return node->isMailFolder() && store::isValidMoveTarget(node->label, source.logicalPath());
}

void TmainForm::treeDrop(const std::filesystem::path& dir, reading::TinboxForm& source) {
    store::TMailNode* node = tree_->find(dir);
    if (!node || !treeCanDrop(dir, source)) return;
    if (node->hasChildren()) {
        platform_.dialogs.information(applicationTitle_,
                                      "This is not a valid folder level - there are lower level "
                                      "folders");
        return;
    }
    const std::string target = node->logicalPath();
    reading::moveSelected(source, target, *this, platform_);
    if (reading::TinboxForm* window = findFolderWindow(target)) {
        window->setState(platform::WindowState::Minimized);
        if (view_) view_->childChanged(*window);
    }
}

bool TmainForm::treeCanDelete(const std::filesystem::path& dir) const {
    const store::TMailNode* node = tree_->find(dir);
    if (!node || !node->isUserNode() || !settings_.vl.folderTreeShown) return false;
    return !(node->label == store::kAttachDirectory && node->parent && node->parent->isRoot());
}

void TmainForm::treeDelete(const std::filesystem::path& dir) {
    if (!treeCanDelete(dir)) return;
    store::TMailNode* node = tree_->find(dir);
    if (holdsDirectory(dir)) {
        platform_.system.beep();
        platform_.dialogs.information(applicationTitle_,
                                      "This Folder Contains A Nested Folder - You Must Delete That "
                                      "Folder First!");
        return;
    }
    const std::string logical = node->logicalPath();
    if (holdsAnyFile(dir)) {
        platform_.system.beep();
        if (platform_.dialogs.question(
                "STOP - Delete Confirmation Message",
                "STOP - Mail Messages and/or Other Related Files Exists In This Folder!!\rAre You "
                "Sure You Want To Delete All The Files In This Folder?\rIncluding The Folder "
                "Itself?",
                platform::Buttons::YesNo, platform::Answer::No) != platform::Answer::Yes)
            return;
        if (platform_.dialogs.question(
                "WARNING - Final Confirmation Message",
                "WARNING: Final Check - Mail Messages and/or Other Related Files Exist In This "
                "Folder!!\rDo You Really Want To Delete All The Files In This Folder?\rIncluding "
                "The Folder Itself?",
                platform::Buttons::YesNo, platform::Answer::No) != platform::Answer::Yes)
            return;
        if (!logical.empty()) {
            reading::TinboxForm& window = openFolderWindow(logical, false);
            deleteAllMessages(window);
            removeFiles(dir, false);
            closeChild(window);
        } else {
            removeFiles(dir, false);
        }
    }
    if (!logical.empty()) {
        if (reading::TinboxForm* window = findFolderWindow(logical)) closeChild(*window);
    }
    std::error_code ec;
    if (!logical.empty()) std::filesystem::remove(store::folderLayoutFile(home_, logical), ec);
    removeFiles(dir, false);
    std::filesystem::remove(dir, ec);
    if (ec) {
        refreshTree();
        return;  // the node stays in the tree
    }

    // The neighbour becomes selected: next sibling, else previous sibling, else the parent.
    std::filesystem::path next = dir.parent_path();
    if (store::TMailNode* parent = node->parent) {
        auto& siblings = parent->children;
        auto it = std::find_if(siblings.begin(), siblings.end(),
                               [&](const auto& s) { return s.get() == node; });
        if (it != siblings.end()) {
            if (it + 1 != siblings.end())
                next = (*(it + 1))->path;
            else if (it != siblings.begin())
                next = (*(it - 1))->path;
        }
    }
    refreshTree();
    treeSelection_ = next;
    notifyTree();
}

}  // namespace velmora::core
