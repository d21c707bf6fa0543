// The message decoder on arbitrary input, then the encoder on what it made and the decoder again:
// nothing may crash, read out of bounds or hang, and a parse failure keeps the whole input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mime/message.h"

namespace {

constexpr const char* kNotice = "The following error has been occured while processing the message:";

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
    (void)message.ContentType();
    const std::string written = message.SaveToString();
    TmsMessage again;
    again.LoadFromString(written);
    return 0;
}
