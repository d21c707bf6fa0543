// The private header block of stored message files on arbitrary message texts: reading the item
// from a message, writing a block from it and reading that back. Nothing may crash or hang; a
// written block replaces every block line the text carried, and reads back as the item it was
// written from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_file.h"
#include "mime/message.h"
#include "store/message_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    mime::TmsMessage message;
    message.LoadFromString(input);
    store::TObjListViewVLF item = store::itemFromMessage(message, "2001.07.31.15.30.45.123");

    store::writePrivateHeaders(message, item, store::PrioritySpelling::ExistingMessage);
    store::TObjListViewVLF back = store::itemFromMessage(message, item.fileName);
    // Date and subject come from the message's own headers, not from the block.
    back.mailDate = item.mailDate;
    back.sortDate = item.sortDate;
    back.subject = item.subject;
    if (!(back == item)) __builtin_trap();

    int blocks = 0;
    for (const auto& line : message.Headers().Lines())
        if (line.rfind("X-VL-filename:", 0) == 0) ++blocks;
    if (blocks != 1) __builtin_trap();

    store::stripPrivateHeaders(message, item);
    for (const auto& line : message.Headers().Lines())
        if (!store::readPrivateValue(mime::TmsHeaders({line}), "X-VL-VLversion").empty())
            __builtin_trap();

    std::vector<std::string> lines = splitLines(input);
    store::removePrivateBlockLines(lines);
    return 0;
}
