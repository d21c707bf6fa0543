// Passwords typed during this run for profiles that do not remember theirs, per profile and
// server. Kept in memory only, never written; dropped when the server rejects a log-in, so the
// next session asks again instead of failing with a stale password.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace velmora::retrieval {

class PasswordCache {
  public:
    std::optional<std::string> find(const std::string& profile, const std::string& server) const;
    void remember(const std::string& profile, const std::string& server, std::string password);
    void forget(const std::string& profile, const std::string& server);
    void clear() { passwords_.clear(); }

  private:
    static std::string keyOf(const std::string& profile, const std::string& server);
    std::map<std::string, std::string> passwords_;
};

}  // namespace velmora::retrieval
