// The base of the mail clients: a socket with the protocol's log-in and log-out, joined into
// Connect and Disconnect. TimeOut is 60 seconds unless set.
#pragma once

#include "net/socket.h"

namespace velmora::net {

class TmsMailBase : public TagSocket {
  public:
    using TagSocket::TagSocket;

    // Opens and logs in, unless a socket is already open (then nothing happens, so a caller
    // ends a failed session with Disconnect or Close before connecting again).
    void Connect();
    // Logs out and closes, when a socket is open. The socket is closed even when the log-out
    // fails; the failure is raised after.
    void Disconnect();

  protected:
    virtual void Login() = 0;
    virtual void Logout() = 0;
};

}  // namespace velmora::net
