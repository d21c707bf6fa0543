// The folder tree of the main window: the directories under the home folder (hidden ones left
// out), each node with its kind, sort number and extension, ordered as the tree shows them:
// Drafts, InBox, OutBox, Sent, Trash first, then other directories by the number of their
// extension and then by name.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velmora::store {

// Node kinds; the picture of a node is kind * 2, or kind * 2 + 1 while selected.
enum class NodeKind { Other = 0, Drafts = 1, InBox = 2, OutBox = 3, Sent = 4, Trash = 5, Root = 6 };

struct TMailNode {
    std::filesystem::path path;  // absolute directory path
    NodeKind kind = NodeKind::Other;
    int sortNumber = 1;
    std::string extension;  // ".001", ".000" or "" (kept so a rename keeps it)
    std::string label;      // directory name without extension; "Velmora" for the root
    std::vector<std::unique_ptr<TMailNode>> children;
    TMailNode* parent = nullptr;

    int imageIndex(bool selected) const { return static_cast<int>(kind) * 2 + (selected ? 1 : 0); }
    bool hasChildren() const { return !children.empty(); }
    bool isRoot() const { return kind == NodeKind::Root; }
    // A directory with ".000" or ".001" in its path relative to the home folder.
    bool isMailFolder() const;
    // The folder's logical path (Work\Sub), "" for the root and for non-mail directories.
    std::string logicalPath() const;
    // Only kind-0 nodes can be renamed or deleted.
    bool isUserNode() const { return kind == NodeKind::Other; }
};

// Classifies one directory name (its last path component).
NodeKind nodeKindOf(const std::string& directoryName);
int sortNumberOf(const std::string& directoryName);

class TMailTree {
  public:
    explicit TMailTree(std::filesystem::path home);

    // Lists the directories again from disk. Bounded: at most kMaxDepth levels and kMaxNodes
    // nodes, so a home folder inside a large tree cannot stall the program.
    void refresh();

    const TMailNode& root() const { return *root_; }
    TMailNode& root() { return *root_; }
    const std::filesystem::path& home() const { return home_; }

    // The node of a directory, or nullptr.
    TMailNode* find(const std::filesystem::path& directory);
    // The node of a folder's logical path, or nullptr.
    TMailNode* findLogical(const std::string& logicalPath);
    // Every node in display order, depth first (the root first).
    std::vector<const TMailNode*> flatten() const;

    static constexpr int kMaxDepth = 16;
    static constexpr std::size_t kMaxNodes = 20'000;

  private:
    std::filesystem::path home_;
    std::unique_ptr<TMailNode> root_;
};

}  // namespace velmora::store
