// The reply rules on names, addresses and report text taken from received messages: a name from
// a message never becomes more than one recipient, a reply entry keeps the message's address,
// and neither a greeting line nor an entry carries a line break.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_file.h"
#include "compose/addresses.h"
#include "compose/reply_text.h"
#include "mime/address.h"

namespace {

bool oneLineText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora::compose;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    velmora::mime::TmsMessage message;
    message.Sender() = velmora::mime::TmsMailAddress("ann@example.org", text);
    message.CC().AddAddress("cc@example.org", text);
    for (const std::vector<std::string>& entries :
         {replyToEntries(message, "", false, ""), replyCcEntries(message)}) {
        if (entries.size() != 1) __builtin_trap();
        if (!oneLineText(entries[0])) __builtin_trap();
        // Written into the field and split again, it is still the one recipient.
        const auto lines = addressLines(joinAddressLines(entries));
        if (lines.size() != 1) __builtin_trap();
        const std::string address = velmora::mime::ParseMailAddress(lines[0]).Address();
        if (address != "ann@example.org" && address != "cc@example.org") __builtin_trap();
    }
    // A Reply-To value of any shape gives entries that stay one line each.
    for (const auto& entry : replyToEntries(message, text, true, "me@example.org"))
        if (!oneLineText(entry)) __builtin_trap();
    for (const char* templ : {"Hi %FIRSTNAME%:", "%LASTNAME%", "Dear %FULLNAME%,", "%NICKNAME%!"})
        if (!oneLineText(addGreeting(templ, text, text, {}))) __builtin_trap();
    (void)addGreeting(text, "Ann Lee", "ann@example.org", {});
    (void)operatorBlocks(velmora::splitLines(text));
    (void)abuseAddress(text);
    return 0;
}
