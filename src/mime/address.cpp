#include "mime/address.h"

#include "mime/headers.h"

namespace velmora::mime {

TmsMailAddress::TmsMailAddress(std::string_view address, std::string_view name)
    : name_(cutText(name)), address_(cutText(address)) {}

void TmsMailAddress::SetName(std::string_view name) {
    name_ = cutText(name);
}

void TmsMailAddress::SetAddress(std::string_view address) {
    address_ = cutText(address);
}

void TmsMailAddress::Clear() {
    name_.clear();
    address_.clear();
}

TmsMailAddress& TmsAddressList::AddAddress(std::string_view address, std::string_view name) {
    items_.emplace_back(address, name);
    return items_.back();
}

void TmsAddressList::Delete(int index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(&Items(index) - items_.data()));
}

void ParseMailAddress(std::string_view text, TmsMailAddress& address) {
    const std::size_t open = text.find('<');
    if (open != std::string_view::npos) {
        const std::size_t close = text.find('>', open);
        if (close == std::string_view::npos) {
            address.SetAddress({});
            address.SetName(TrimQuotes(text));
            return;
        }
        address.SetAddress(TrimQuotes(text.substr(open + 1, close - open - 1)));
        std::string name(text.substr(0, open));
        name += text.substr(close + 1);
        address.SetName(TrimQuotes(name));
        return;
    }
    const std::size_t paren = text.find('(');
    if (paren != std::string_view::npos) {
        address.SetAddress(TrimQuotes(text.substr(0, paren)));
        std::string_view name = trimWhite(text.substr(paren + 1));
        if (!name.empty() && name.back() == ')') name.remove_suffix(1);
        address.SetName(TrimQuotes(name));
        return;
    }
    address.SetAddress(text);
    address.SetName({});
}

TmsMailAddress ParseMailAddress(std::string_view text) {
    TmsMailAddress address;
    ParseMailAddress(text, address);
    return address;
}

}  // namespace velmora::mime
