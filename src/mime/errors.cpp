#include "mime/errors.h"

#include <algorithm>
#include <array>

namespace velmora::mime {

namespace {

struct NumberedText {
    int number;
    std::string_view text;
};

// Sorted by number, so a lookup is a binary search.
constexpr std::array kNumberedTexts{
    NumberedText{0, "[0] No Error"},
    NumberedText{10004, "[10004] Interrupted function call"},
    NumberedText{10009, "[10009] Bad file number"},
    NumberedText{10013, "[10013] Permission denied."},
    NumberedText{10014, "[10014] Bad address"},
    NumberedText{10022, "[10022] Invalid argument"},
    NumberedText{10024, "[10024] Too many open files"},
    NumberedText{10035, "[10035] Resource temporarily not available"},
    NumberedText{10036, "[10036] Operation now in progress"},
    NumberedText{10037, "[10037] Operation already in progress"},
    NumberedText{10038, "[10038] Socket operation on non-socket"},
    NumberedText{10039, "[10039] Destination address required"},
    NumberedText{10040, "[10040] Message too long"},
    NumberedText{10041, "[10041] Protocol wrong type for socket"},
    NumberedText{10042, "[10042] Bad protocol option"},
    NumberedText{10043, "[10043] Protocol not supported"},
    NumberedText{10044, "[10044] Socket type not supported"},
    NumberedText{10045, "[10045] Operation not supported"},
    NumberedText{10046, "[10046] Protocol family not supported"},
    NumberedText{10047, "[10047] Address family not supported by protocol family"},
    NumberedText{10048, "[10048] Address already in use"},
    NumberedText{10049, "[10049] Cannot assign requested address"},
    NumberedText{10050, "[10050] Network is down"},
    NumberedText{10051, "[10051] Network is unreachable"},
    NumberedText{10052, "[10052] Network dropped connection or reset"},
    NumberedText{10053, "[10053] Software caused connection abort"},
    NumberedText{10054, "[10054] Connection reset by peer"},
    NumberedText{10055, "[10055] No buffer space available"},
    NumberedText{10056, "[10056] Socket is already connected"},
    NumberedText{10057, "[10057] Socket is not connected"},
    NumberedText{10058, "[10058] Can't send after socket shutdown"},
    NumberedText{10059, "[10059] Too many references, can't splice"},
    NumberedText{10060, "[10060] Connection timed out"},
    NumberedText{10061, "[10061] Connection refused"},
    NumberedText{10062, "[10062] Too many levels of symbolic links"},
    NumberedText{10063, "[10063] File name too long"},
    NumberedText{10064, "[10064] Host is down"},
    NumberedText{10065, "[10065] No Route to Host"},
    NumberedText{10066, "[10066] Directory not empty"},
    NumberedText{10067, "[10067] Too many processes"},
    NumberedText{10068, "[10068] Too many users"},
    NumberedText{10069, "[10069] Disc Quota Exceeded"},
    NumberedText{10070, "[10070] Stale NFS file handle"},
    NumberedText{10071, "[10071] Too many levels of remote in path"},
    NumberedText{10091, "[10091] Network subsystem is unavailable"},
    NumberedText{10092, "[10092] WINSOCK DLL Version out of range"},
    NumberedText{10093, "[10093] Successful WSAStartup() not yet performed"},
    NumberedText{10094, "[10094] Graceful shutdown in progress"},
    NumberedText{11001, "[11001] Host not found"},
    NumberedText{11002, "[11002] Non-Authoritative Host not found"},
    NumberedText{11003, "[11003] Non-Recoverable errors: FORMERR, REFUSED, NOTIMP"},
    NumberedText{11004, "[11004] Valid name, no data record of requested type"},
    NumberedText{kTextTimedOut, "Operation timed out"},
    NumberedText{kTextCanceled, "Operation has been canceled"},
    NumberedText{kTextServerRequired, "Server property is required"},
    NumberedText{kTextInvalidWinsockVersion, "Invalid Winsock version"},
    NumberedText{kTextErrorResolvingHost, "Error resolving remote host"},
    NumberedText{kTextServiceNameRequired, "Service name is required"},
    NumberedText{kTextNotConnected, "You have to connect to the server first"},
    NumberedText{kTextFunctionNotFound, "Function %s not found"},
    NumberedText{kTextWinsockNotLoaded, "Winsock is not loaded"},
    NumberedText{kTextWinsockNotFound, "Winsock not found"},
    NumberedText{kTextSenderRequired, "The address of sender is required"},
    NumberedText{kTextRecipientRequired, "At least one Recipient, CC or BCC must be entered"},
    NumberedText{kTextMailMessageRequired, "MailMessage property must be assigned"},
    NumberedText{kTextUserNameRequired, "UserName property is required"},
    NumberedText{kTextPasswordRequired, "Password property is required"},
    NumberedText{kTextIdsDifferent, "IDs are different"},
    NumberedText{kTextNoClosingBoundary, "Cannot find closing boundary"},
    NumberedText{kTextNoBoundary, "Cannot find boundary"},
    NumberedText{kTextAttachmentDecodingError, "Error decoding the attachment"},
};

constexpr bool isSorted() {
    for (std::size_t i = 1; i < kNumberedTexts.size(); ++i) {
        if (kNumberedTexts[i - 1].number >= kNumberedTexts[i].number) return false;
    }
    return true;
}
static_assert(isSorted(), "the numbered texts must stay sorted by number");

}  // namespace

std::optional<std::string_view> findNumberedText(int number) {
    const auto found = std::lower_bound(
        kNumberedTexts.begin(), kNumberedTexts.end(), number,
        [](const NumberedText& entry, int wanted) { return entry.number < wanted; });
    if (found == kNumberedTexts.end() || found->number != number) return std::nullopt;
    return found->text;
}

std::string numberedText(int number) {
    if (const auto text = findNumberedText(number)) return std::string(*text);
    return "Error #" + std::to_string(number);
}

}  // namespace velmora::mime
