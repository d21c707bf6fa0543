// The message decoder on arbitrary input, then the encoder on what it made and the decoder again:
// nothing may crash, read out of bounds or hang, a parse failure keeps the whole input, no
// attachment grows beyond its line breaks' CR LF, and the address lists stay within their bound.
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
    // Text parts are written line by line with CR LF, so a lone CR or LF grows by one byte and
    // a last line gains its break: twice the input and two bytes is the most any part can hold.
    for (const auto& item : message.Attachments()) {
        if (item->Data().Size() > 2 * size + 2) __builtin_trap();
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
