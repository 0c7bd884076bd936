// What stations send to the lock server, over up to three connections (the
// input cut at each "\n"; the last byte of each piece chooses the
// connection of the next one and whether that connection ends first). A request the parser takes whole is
// exactly its fields put together; every reply ends with its line end; the
// log carries no control character; the limits hold; and once every
// connection has ended no lock is left.

#include <algorithm>

#include "fuzz_station.h"
#include "services/lock_server_core.h"

using namespace kj;

namespace {

const char* CommandText(LockCommand c) {
    return c == LockCommand::Lock ? "Zamkni" : c == LockCommand::Unlock ? "Odemkni" : "IfVolny";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = fuzz::Bytes(data, size);
    (void)ParseUserNames(input);
    LockServer::Options options;
    options.maxMessage = 300;
    options.maxLocks = 8;
    options.maxLocksPerConnection = 3;
    LockServer server(options, [](std::string_view line) {
        FUZZ_CHECK(std::none_of(line.begin(), line.end(), [](char ch) {
            return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F;
        }));
    }, [](int station) { return "Uzivatel " + std::to_string(station); });

    ConnectionId id = 1;
    for (const std::string& chunk : fuzz::Parts(input, "\n", 64)) {
        const ParsedRequest p = ParseLockServerRequest(chunk);
        // Keep-alive and status requests carry no fields that are used.
        if (p.status == ParseStatus::Complete && p.request.command != LockCommand::KeepAlive &&
            p.request.command != LockCommand::Status) {
            const LockServerRequest& r = p.request;
            FUZZ_CHECK(LockMessage(CommandText(r.command), r.directory, r.name, r.mode, r.station) ==
                       chunk.substr(0, p.length));
        }
        const std::string replies = server.Receive(id, chunk);
        FUZZ_CHECK(replies.empty() || replies.ends_with(kLockReplyEnd));
        FUZZ_CHECK(server.LockCount() <= options.maxLocks);
        if (chunk.empty()) continue;
        id = 1 + static_cast<unsigned char>(chunk.back()) % 3;
        if (chunk.back() & 4) server.Disconnect(id);
    }
    for (ConnectionId c = 1; c <= 3; ++c) server.Disconnect(c);
    FUZZ_CHECK(server.LockCount() == 0 && server.ConnectionCount() == 0);
    return 0;
}
