// Mail addresses of the message model: one display name with its address, and ordered lists of
// them (To, CC, BCC).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::mime {

class TmsMailAddress {
  public:
    TmsMailAddress() = default;
    TmsMailAddress(std::string_view address, std::string_view name);

    // Both texts are cut at 255 bytes when stored.
    const std::string& Name() const { return name_; }
    const std::string& Address() const { return address_; }
    void SetName(std::string_view name);
    void SetAddress(std::string_view address);

    void Assign(const TmsMailAddress& other) { *this = other; }
    void Clear();

    bool operator==(const TmsMailAddress&) const = default;

  private:
    std::string name_;
    std::string address_;
};

class TmsAddressList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Index from 0; out of range throws std::out_of_range.
    TmsMailAddress& Items(int index) { return items_.at(static_cast<std::size_t>(index)); }
    const TmsMailAddress& Items(int index) const {
        return items_.at(static_cast<std::size_t>(index));
    }
    TmsMailAddress& operator[](int index) { return Items(index); }
    const TmsMailAddress& operator[](int index) const { return Items(index); }

    void Add(const TmsMailAddress& address) { items_.push_back(address); }
    // Appends a new entry; the address comes first.
    TmsMailAddress& AddAddress(std::string_view address, std::string_view name);
    void Delete(int index);
    void Clear() { items_.clear(); }
    void Assign(const TmsAddressList& other) { items_ = other.items_; }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<TmsMailAddress> items_;
};

// Takes one address text apart. "Name <addr>" gives both parts, "addr (Name)" too, a bare text
// is the address with no name; an opening "<" without a closing ">" after it gives an empty
// address and the whole text as the name. Quotes around either part are removed, both parts
// are cut at 255 bytes. Never fails.
void ParseMailAddress(std::string_view text, TmsMailAddress& address);
TmsMailAddress ParseMailAddress(std::string_view text);

}  // namespace velmora::mime
