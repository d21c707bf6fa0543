// The folder index reader on arbitrary bytes: nothing may crash, allocate without bound or hang,
// and what it reads must come back unchanged when written and read again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/folder_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora::store;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const IndexContent first = parseFolderIndex(input);
    const IndexContent again = parseFolderIndex(formatFolderIndex(first.rows));
    if (again.damaged || again.rows.size() != first.rows.size()) __builtin_trap();
    for (std::size_t i = 0; i < first.rows.size(); ++i) {
        if (again.rows[i].text != first.rows[i].text) __builtin_trap();
        if (!(again.rows[i].item == first.rows[i].item)) __builtin_trap();
        (void)splitRowText(first.rows[i].text);
    }
    return 0;
}
