#include "addressbook/entry.h"

#include <algorithm>

#include "base/text.h"

namespace velmora::addressbook {

std::string quoteCommaName(std::string_view name) {
    if (name.find(',') == std::string_view::npos || name.find('"') != std::string_view::npos)
        return std::string(name);
    return "\"" + std::string(name) + "\"";
}

std::string unquoteCommaName(std::string_view name) {
    std::string out(name);
    if (out.find(',') == std::string::npos) return out;
    out.erase(std::remove(out.begin(), out.end(), '"'), out.end());
    return out;
}

bool isUntouchedTemplate(const TEmailNameObjListView& entry) {
    auto blank = [](const std::string& line) { return trimmed(line).empty(); };
    return std::all_of(entry.addresses.begin(), entry.addresses.end(), blank) &&
           std::all_of(entry.notes.begin(), entry.notes.end(), blank);
}

std::string firstAddress(const TEmailNameObjListView& entry) {
    return entry.addresses.empty() ? std::string() : entry.addresses.front();
}

}  // namespace velmora::addressbook
