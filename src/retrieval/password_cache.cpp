#include "retrieval/password_cache.h"

#include "mime/headers.h"
#include "profiles/profile.h"

namespace velmora::retrieval {

std::string PasswordCache::keyOf(const std::string& profile, const std::string& server) {
    return profiles::profileNameKey(profile) + '\n' + toLowerAscii(mime::trimWhite(server));
}

std::optional<std::string> PasswordCache::find(const std::string& profile,
                                               const std::string& server) const {
    const auto it = passwords_.find(keyOf(profile, server));
    if (it == passwords_.end()) return std::nullopt;
    return it->second;
}

void PasswordCache::remember(const std::string& profile, const std::string& server,
                             std::string password) {
    passwords_[keyOf(profile, server)] = std::move(password);
}

void PasswordCache::forget(const std::string& profile, const std::string& server) {
    passwords_.erase(keyOf(profile, server));
}

}  // namespace velmora::retrieval
