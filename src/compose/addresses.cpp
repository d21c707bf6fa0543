#include "compose/addresses.h"

#include "base/text.h"
#include "mime/address.h"

namespace velmora::compose {

std::string oneLine(std::string_view text) {
    std::string clean(text);
    for (char& c : clean)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return clean;
}

std::vector<std::string> splitAddressEntries(std::string_view text) {
    std::vector<std::string> entries;
    std::string entry;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',') {
            entries.push_back(std::move(entry));
            entry.clear();
            continue;
        }
        if (entry.empty() && (c == ' ' || c == '\t')) continue;
        const bool opensQuote = c == '"' || (c == '\'' && entry.empty());
        if (opensQuote) {
            const std::size_t close = text.find(c, i + 1);
            if (close != std::string_view::npos) {
                entry.append(text.substr(i, close - i + 1));
                i = close;
                continue;
            }
        }
        entry += c;
    }
    entries.push_back(std::move(entry));
    return entries;
}

std::vector<std::string> entryAddressTexts(const AddressBookEntry& entry) {
    std::vector<std::string> texts;
    const std::string name(trimmed(entry.fullName));
    for (const std::string& raw : entry.addresses) {
        const std::string address(trimmed(raw));
        if (address.empty()) {
            texts.push_back(name.empty() ? std::string(kUnknownAddress)
                                         : name + " " + kUnknownAddress);
        } else {
            texts.push_back(name.empty() ? address : name + " <" + address + ">");
        }
    }
    return texts;
}

std::string expandAddressField(std::string_view text, const NicknameBook& book) {
    std::string_view rest = trimmed(text);
    while (!rest.empty() && (rest.back() == ',' || rest.back() == ' ' || rest.back() == '\t'))
        rest.remove_suffix(1);
    if (rest.empty()) return {};
    std::string joined;
    auto add = [&joined](const std::string& part) {
        if (!joined.empty()) joined += ", ";
        joined += part;
    };
    for (const std::string& entry : splitAddressEntries(rest)) {
        if (entry.find('@') == std::string::npos) {
            if (const AddressBookEntry* found = book.findNickname(trimmed(entry))) {
                const auto texts = entryAddressTexts(*found);
                if (!texts.empty()) {
                    for (const std::string& t : texts) add(t);
                    continue;
                }
            }
        }
        add(entry);
    }
    return joined;
}

std::vector<std::string> addressLines(std::string_view plain) {
    std::vector<std::string> lines;
    for (const std::string& entry : splitAddressEntries(plain)) {
        const std::string_view line = trimmed(entry);
        if (!line.empty()) lines.emplace_back(line);
    }
    return lines;
}

std::string joinAddressLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        const std::string_view text = trimmed(line);
        if (text.empty()) continue;
        if (!joined.empty()) joined += ", ";
        joined += text;
    }
    return joined;
}

std::optional<BadAddress> checkAddressLists(const std::vector<std::string>& to,
                                            const std::vector<std::string>& cc,
                                            const std::vector<std::string>& bcc) {
    const std::vector<std::string>* lists[] = {&to, &cc, &bcc};
    for (int list = 0; list < 3; ++list) {
        const auto& lines = *lists[list];
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            if (line.find('@') == std::string::npos || line.find('.') == std::string::npos)
                return BadAddress{list, static_cast<int>(i)};
        }
    }
    return std::nullopt;
}

bool isSafeEnvelopeAddress(std::string_view address) {
    return address.find_first_of(std::string_view("\r\n\0<>", 5)) == std::string_view::npos;
}

std::string mailDomain(std::string_view addressText) {
    const std::string address = mime::ParseMailAddress(addressText).Address();
    const std::size_t at = address.rfind('@');
    return at == std::string::npos ? std::string() : address.substr(at + 1);
}

}  // namespace velmora::compose
