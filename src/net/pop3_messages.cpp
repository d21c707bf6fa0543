// TmsPOP: the POP3 client that decodes every retrieved message into its message list.
#include "net/pop3.h"

namespace velmora::net {

void TmsPOP::StoreMessage(int /*index*/, std::string& stream) {
    // The decoder drops the final period line from the body.
    Messages.Add().LoadFromString(stream);
}

}  // namespace velmora::net
