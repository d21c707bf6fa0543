#include "store/folder_tree.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "store/folders.h"

namespace velmora::store {

namespace {

std::string lowerTrimmed(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    const auto end = text.find_last_not_of(" \t");
    std::string result = text.substr(begin, end - begin + 1);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string extensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
}

int compareNoCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool displayOrder(const std::unique_ptr<TMailNode>& a, const std::unique_ptr<TMailNode>& b) {
    const int ka = static_cast<int>(a->kind);
    const int kb = static_cast<int>(b->kind);
    const bool defaultA = ka >= 1 && ka <= 5;
    const bool defaultB = kb >= 1 && kb <= 5;
    if (defaultA != defaultB) return defaultA;
    if (defaultA) return ka < kb;
    if (a->sortNumber != b->sortNumber) return a->sortNumber < b->sortNumber;
    const int byName = compareNoCase(a->label, b->label);
    if (byName != 0) return byName < 0;
    return a->path.filename().string() < b->path.filename().string();
}

void listChildren(TMailNode& node, int depth, std::size_t& count) {
    if (depth >= TMailTree::kMaxDepth) return;
    std::error_code ec;
    std::filesystem::directory_iterator it(node.path, ec), end;
    for (; !ec && it != end && count < TMailTree::kMaxNodes; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError) || it->is_symlink(typeError)) continue;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;  // hidden directories are not shown
        auto child = std::make_unique<TMailNode>();
        child->path = it->path();
        child->kind = nodeKindOf(name);
        child->sortNumber = child->kind == NodeKind::Other ? sortNumberOf(name) : 0;
        child->extension = extensionOf(name);
        child->label = name.substr(0, name.size() - child->extension.size());
        child->parent = &node;
        ++count;
        listChildren(*child, depth + 1, count);
        node.children.push_back(std::move(child));
    }
    std::sort(node.children.begin(), node.children.end(), displayOrder);
}

TMailNode* findIn(TMailNode& node, const std::filesystem::path& directory) {
    if (node.path == directory) return &node;
    for (auto& child : node.children) {
        const auto rel = directory.lexically_relative(child->path);
        if (rel.empty() || *rel.begin() == "..") continue;
        if (TMailNode* found = findIn(*child, directory)) return found;
    }
    return nullptr;
}

void flattenInto(const TMailNode& node, std::vector<const TMailNode*>& out) {
    out.push_back(&node);
    for (const auto& child : node.children) flattenInto(*child, out);
}

}  // namespace

NodeKind nodeKindOf(const std::string& directoryName) {
    const std::string name = lowerTrimmed(directoryName);
    if (name == "drafts.000") return NodeKind::Drafts;
    if (name == "inbox.000") return NodeKind::InBox;
    if (name == "outbox.000") return NodeKind::OutBox;
    if (name == "sent.000") return NodeKind::Sent;
    if (name == "trash.000") return NodeKind::Trash;
    return NodeKind::Other;
}

int sortNumberOf(const std::string& directoryName) {
    const std::string ext = extensionOf(directoryName);
    if (ext.size() < 2) return 1;
    int value = 0;
    const char* first = ext.data() + 1;
    const char* last = ext.data() + ext.size();
    auto [ptr, error] = std::from_chars(first, last, value);
    if (error != std::errc{} || ptr != last) return 1;
    return value;
}

bool TMailNode::isMailFolder() const {
    if (isRoot()) return false;
    const TMailNode* node = this;
    while (node && !node->isRoot()) {
        const std::string name = node->path.filename().string();
        if (name.find(".000") != std::string::npos || name.find(".001") != std::string::npos)
            return true;
        node = node->parent;
    }
    return false;
}

std::string TMailNode::logicalPath() const {
    if (!isMailFolder()) return "";
    std::vector<std::string> parts;
    for (const TMailNode* node = this; node && !node->isRoot(); node = node->parent)
        parts.push_back(node->path.filename().string());
    std::string physical;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (!physical.empty()) physical += '\\';
        physical += *it;
    }
    return toLogicalPath(physical);
}

TMailTree::TMailTree(std::filesystem::path home) : home_(std::move(home)) {
    refresh();
}

void TMailTree::refresh() {
    root_ = std::make_unique<TMailNode>();
    root_->path = home_;
    root_->kind = NodeKind::Root;
    root_->sortNumber = 0;
    root_->label = "Velmora";
    std::size_t count = 0;
    listChildren(*root_, 0, count);
}

TMailNode* TMailTree::find(const std::filesystem::path& directory) {
    return findIn(*root_, directory.lexically_normal());
}

TMailNode* TMailTree::findLogical(const std::string& logicalPath) {
    return find(folderDirectory(home_, logicalPath));
}

std::vector<const TMailNode*> TMailTree::flatten() const {
    std::vector<const TMailNode*> out;
    flattenInto(*root_, out);
    return out;
}

}  // namespace velmora::store
