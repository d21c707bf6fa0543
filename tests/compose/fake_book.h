// An address book of a few entries for the compose tests, with the nickname lookup the real
// books do (case and surrounding blanks ignored).
#pragma once

#include <vector>

#include "base/text.h"
#include "compose/nickname_book.h"

namespace velmora::testing {

class FakeNicknameBook final : public compose::NicknameBook {
  public:
    std::vector<compose::AddressBookEntry> entries() const override { return list; }
    const compose::AddressBookEntry* findNickname(std::string_view nickName) const override {
        for (const auto& entry : list)
            if (equalsNoCase(trimmed(entry.nickName), trimmed(nickName))) return &entry;
        return nullptr;
    }
    std::vector<compose::AddressBookEntry> list;
};

}  // namespace velmora::testing
