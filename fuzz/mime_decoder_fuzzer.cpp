// The message decoder on arbitrary input, then the encoder on what it made and the decoder again:
// nothing may crash, read out of bounds or hang, a parse failure keeps the whole input, no
// attachment decodes to more than the input holds, and the address lists stay within their bound.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mime/limits.h"
#include "mime/message.h"

namespace {

constexpr const char* kNotice =
    "The following error has been occured while processing the message:";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora::mime;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    TmsMessage message;
    message.LoadFromString(input);
    for (const std::string& line : message.Body()) {
        if (line == kNotice) {
            TmsAttItem& original = message.Attachments().Items(message.Attachments().Count() - 1);
            if (original.Data().ReadAll() != input) __builtin_trap();
            break;
        }
    }
    for (const auto& item : message.Attachments()) {
        if (item->Data().Size() > size) __builtin_trap();
    }
    for (const TmsAddressList* list : {&message.Recipients(), &message.CC(), &message.BCC()}) {
        if (static_cast<std::size_t>(list->Count()) > kMaxAddressListEntries) __builtin_trap();
    }
    (void)message.ContentType();
    const std::string written = message.SaveToString();
    TmsMessage again;
    again.LoadFromString(written);
    return 0;
}
