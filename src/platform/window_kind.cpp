#include "platform/window_kind.h"

#include <algorithm>

namespace velmora::platform {

void WindowKinds::add(WindowKind kind) {
    auto same = std::find_if(kinds_.begin(), kinds_.end(),
                             [&](const WindowKind& k) { return k.keyPrefix == kind.keyPrefix; });
    if (same != kinds_.end()) {
        *same = std::move(kind);
    } else {
        kinds_.push_back(std::move(kind));
    }
}

const WindowKind* WindowKinds::find(std::string_view keyPrefix) const {
    for (const WindowKind& k : kinds_)
        if (k.keyPrefix == keyPrefix) return &k;
    return nullptr;
}

const WindowKind* WindowKinds::forSessionFile(std::string_view name) const {
    for (const WindowKind& k : kinds_)
        if (!k.sessionFile.empty() && k.sessionFile == name) return &k;
    return nullptr;
}

}  // namespace velmora::platform
