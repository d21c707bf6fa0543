// Feeds arbitrary bytes to the compose module's readers: the signature file (read, written and
// read again unchanged) and the address fields (split, expanded, checked), whose one-line texts
// must never hold a line break.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "compose/addresses.h"
#include "compose/signatures.h"

using namespace velmora::compose;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const SignatureList list = parseSignatureFile(bytes);
    if (list.defaultPosition < 0 ||
        (list.defaultPosition > 0 && list.defaultPosition >= static_cast<int>(list.blocks.size())))
        std::abort();
    const SignatureList again = parseSignatureFile(signatureFileBytes(list));
    if (again.blocks != list.blocks || again.defaultPosition != list.defaultPosition) std::abort();

    const std::string line = oneLine(bytes);
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) std::abort();
    EmptyNicknameBook book;
    const std::string expanded = expandAddressField(line, book);
    for (const std::string& entry : addressLines(expanded))
        if (entry.find_first_of(std::string_view("\r\n", 2)) != std::string::npos) std::abort();
    (void)checkAddressLists(addressLines(line), {}, {});
    (void)mailDomain(line);
    return 0;
}
