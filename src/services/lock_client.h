#pragma once
// The lock server of the suite, seen from the locking code: one text message
// out, one text reply back. When Common::lock.server is set, Zamkni, Odemkni
// and IfVolny ask the server instead of the register file "FOT.tab".
//
// This header does not open connections or keep them alive; a link
// implementation (the TCP client) does that and is handed to Common.

#include <string>
#include <string_view>

#include "services/common.h"

namespace kj {

class LockServerLink {
  public:
    virtual ~LockServerLink() = default;
    // Sends `message` (Windows-1250, no terminator, no length prefix) and
    // blocks until the reply has arrived; returns it without its line end.
    virtual std::string Request(const std::string& message) = 0;
};

// The project's lock server ends every reply with this line end (it is not
// part of the reply): a reply split over several TCP segments is complete
// when it has arrived. Requests have no end mark; each is complete by its
// fields (lock_server_core.h).
inline constexpr std::string_view kLockReplyEnd = "\r\n";

// The wire form of one request: command + "<" + a2 + ">" + a3 + "#" + a4 + "$" + a5.
std::string LockMessage(std::string_view command, std::string_view a2, std::string_view a3,
                        std::string_view a4, std::string_view a5);

// One request through c.lock.server (which must be set). The reply is kept
// in c.lock.lastReply and returned.
std::string LockRequest(Common& c, std::string_view command, std::string_view a2,
                        std::string_view a3, std::string_view a4, std::string_view a5);

}  // namespace kj
