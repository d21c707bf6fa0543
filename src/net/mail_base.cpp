#include "net/mail_base.h"

namespace velmora::net {

void TmsMailBase::Connect() {
    if (isOpen()) return;
    Open();
    Login();
}

void TmsMailBase::Disconnect() {
    if (!isOpen()) return;
    // The socket is closed even when the log-out fails, so that the next Connect starts a new
    // session instead of finding a dead one "open".
    try {
        Logout();
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

}  // namespace velmora::net
