#include "services/lock_server_core.h"

#include <algorithm>
#include <array>

#include "services/cp1250.h"
#include "services/picture.h"

namespace kj {

namespace {

struct KnownCommand {
    std::string_view text;
    LockCommand command;
};

constexpr std::array<KnownCommand, 5> kCommands = {{
    {"Zamkni", LockCommand::Lock},
    {"Odemkni", LockCommand::Unlock},
    {"IfVolny", LockCommand::IfFree},
    {"Client", LockCommand::KeepAlive},
    {"Stav", LockCommand::Status},
}};

constexpr std::string_view kOk = "OK";

bool IsControl(char ch) {
    auto u = static_cast<unsigned char>(ch);
    return u < 0x20 || u == 0x7F;
}

bool HasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), IsControl);
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string TrimRight(std::string_view text) {
    std::size_t end = text.find_last_not_of(' ');
    return std::string(end == std::string_view::npos ? std::string_view{}
                                                     : text.substr(0, end + 1));
}

ParsedRequest Bad(std::string why) {
    ParsedRequest p;
    p.status = ParseStatus::Malformed;
    p.error = std::move(why);
    return p;
}

ParsedRequest Incomplete() {
    return {};
}

std::string ControlError() {
    return "řídicí znak v požadavku"_cz;
}

// A field of free length up to `limit`, ending at `stop`, starting at `from`.
// Returns the position of `stop`, npos while it has not arrived, or sets
// `error` when the field is too long or holds a control character.
std::size_t FieldEnd(std::string_view b, std::size_t from, char stop, std::size_t limit,
                     std::string_view tooLong, std::string* error) {
    std::size_t end = b.find(stop, from);
    std::string_view field =
        b.substr(from, (end == std::string_view::npos ? b.size() : end) - from);
    if (field.size() > limit)
        *error = std::string(tooLong);
    else if (HasControl(field))
        *error = ControlError();
    return end;
}

}  // namespace

ParsedRequest ParseLockServerRequest(std::string_view b) {
    constexpr auto npos = std::string_view::npos;
    std::size_t lt = b.find('<');
    std::string_view command = b.substr(0, lt == npos ? b.size() : lt);
    const KnownCommand* known = nullptr;
    bool prefix = false;
    for (const auto& k : kCommands) {
        if (lt == npos && k.text.starts_with(command)) prefix = true;
        if (lt != npos && k.text == command) known = &k;
    }
    if (lt == npos) return prefix ? Incomplete() : Bad("neznámý příkaz"_cz);
    if (!known) return Bad("neznámý příkaz"_cz);

    std::string error;
    std::size_t gt =
        FieldEnd(b, lt + 1, '>', kMaxLockDirectory, "adresář je delší než 260 znaků"_cz, &error);
    if (!error.empty()) return Bad(error);
    if (gt == npos) return Incomplete();

    ParsedRequest p;
    p.request.command = known->command;
    p.request.directory = std::string(b.substr(lt + 1, gt - lt - 1));

    if (known->command == LockCommand::KeepAlive || known->command == LockCommand::Status) {
        // "Client<Vata>#$", "Stav<>#$": the fields are not used; no station
        // follows the "$".
        std::size_t hash =
            FieldEnd(b, gt + 1, '#', kMaxLockDirectory, "chybný tvar požadavku"_cz, &error);
        if (!error.empty()) return Bad(error);
        if (hash == npos) return Incomplete();
        std::size_t dollar =
            FieldEnd(b, hash + 1, '$', kMaxLockMode, "chybný tvar požadavku"_cz, &error);
        if (!error.empty()) return Bad(error);
        if (dollar == npos) return Incomplete();
        p.status = ParseStatus::Complete;
        p.length = dollar + 1;
        return p;
    }

    if (p.request.directory.empty()) return Bad("chybí adresář"_cz);

    // The name: exactly 12 characters, then "#" (the name itself may hold "#" or "$").
    std::size_t pos = gt + 1;
    std::string_view name = b.substr(pos, kLockNameLength);
    if (HasControl(name)) return Bad(ControlError());
    if (name.size() < kLockNameLength) return Incomplete();
    if (IsBlank(name)) return Bad("chybí jméno souboru"_cz);
    pos += kLockNameLength;
    if (pos >= b.size()) return Incomplete();
    if (b[pos] != '#') return Bad("jméno souboru nemá 12 znaků"_cz);
    ++pos;

    std::size_t dollar = FieldEnd(b, pos, '$', kMaxLockMode, "chybný režim zámku"_cz, &error);
    if (!error.empty()) return Bad(error);
    if (dollar == npos) return Incomplete();

    std::string_view station = b.substr(dollar + 1, kLockStationLength);
    if (HasControl(station)) return Bad(ControlError());
    if (station.size() < kLockStationLength) return Incomplete();

    p.request.name = std::string(name);
    p.request.mode = std::string(b.substr(pos, dollar - pos));
    p.request.station = std::string(station);
    p.status = ParseStatus::Complete;
    p.length = dollar + 1 + kLockStationLength;
    return p;
}

std::vector<std::string> ParseUserNames(std::string_view table) {
    constexpr std::size_t kRecord = 25, kCapacity = 24, kRecords = 100;
    std::vector<std::string> names(kRecords);
    for (std::size_t n = 0; n < kRecords && (n + 1) * kRecord <= table.size(); ++n) {
        std::string_view rec = table.substr(n * kRecord, kRecord);
        std::size_t len = std::min<std::size_t>(static_cast<unsigned char>(rec[0]), kCapacity);
        names[n] = std::string(rec.substr(1, len));
    }
    return names;
}

LockServer::LockServer(Options options, LogSink log, NameLookup names)
    : options_(options), log_(std::move(log)), names_(std::move(names)) {}

void LockServer::Connect(ConnectionId id, std::string_view peer) {
    Connection& conn = connections_[id];
    conn.peer = std::string(peer);
    Log(conn, "spojení navázáno"_cz);
}

LockServer::Connection& LockServer::Conn(ConnectionId id) {
    auto it = connections_.find(id);
    if (it != connections_.end()) return it->second;
    Connect(id, "?");
    return connections_[id];
}

std::size_t LockServer::Pending(ConnectionId id) const {
    auto it = connections_.find(id);
    return it == connections_.end() ? 0 : it->second.input.size();
}

std::string LockServer::Receive(ConnectionId id, std::string_view bytes) {
    std::string replies;
    Connection& conn = Conn(id);
    const std::size_t max = std::max<std::size_t>(options_.maxMessage, 1);
    // Fed in pieces so the buffer never holds more than one request's worth.
    while (!bytes.empty()) {
        std::size_t room = max + 1 - std::min(conn.input.size(), max);
        std::size_t take = std::min(room, bytes.size());
        conn.input.append(bytes.substr(0, take));
        bytes.remove_prefix(take);

        std::size_t start = 0;
        for (;;) {
            std::string_view rest = std::string_view(conn.input).substr(start);
            if (rest.empty()) break;
            ParsedRequest p = ParseLockServerRequest(rest);
            if (p.status == ParseStatus::Complete && p.length <= max) {
                replies += Handle(id, p.request);
                replies += kLockReplyEnd;
                start += p.length;
                continue;
            }
            if (p.status == ParseStatus::Incomplete && rest.size() < max) break;
            // Malformed or too long: the client waits for this reply before it
            // sends again, so everything received so far belongs to the bad
            // request and is dropped with it.
            std::string why =
                p.status == ParseStatus::Malformed
                    ? p.error
                    : "požadavek je delší než "_cz + std::to_string(max) + " bajtů"_cz;
            replies += Malformed(id, conn, why);
            replies += kLockReplyEnd;
            conn.input.clear();
            return replies;
        }
        conn.input.erase(0, start);
    }
    return replies;
}

std::string LockServer::Malformed(ConnectionId, Connection& conn, std::string_view why) {
    constexpr int kLoggedErrors = 5;  // per connection; a flood of garbage stays out of the log
    if (conn.errorsLogged < kLoggedErrors) {
        Log(conn, "chybný požadavek: "_cz + std::string(why));
        if (++conn.errorsLogged == kLoggedErrors)
            Log(conn, "další chybné požadavky tohoto spojení se nezapisují"_cz);
    }
    return "CHYBA požadavku: "_cz + std::string(why);
}

std::string LockServer::Handle(ConnectionId id, const LockServerRequest& r) {
    Connection& conn = Conn(id);
    switch (r.command) {
        case LockCommand::Lock:
            return Lock(id, conn, r);
        case LockCommand::Unlock:
            return Unlock(id, conn, r);
        case LockCommand::IfFree:
            return IfFree(r);
        case LockCommand::KeepAlive:
            return std::string(kOk);
        case LockCommand::Status:
            Log(conn, "dotaz na stav serveru"_cz);
            return Status(id);
    }
    return std::string(kOk);
}

std::string LockServer::Holder(const Entry& e) const {
    std::string text = e.station;
    if (names_ && e.station.size() >= 2) {
        char d0 = e.station[0], d1 = e.station[1];
        if (d0 >= '0' && d0 <= '9' && d1 >= '0' && d1 <= '9') {
            std::string user = names_((d0 - '0') * 10 + (d1 - '0'));
            // A line end in a name would end the reply early.
            std::replace_if(user.begin(), user.end(), IsControl, '?');
            if (!IsBlank(user)) text += " " + user;
        }
    }
    return text;
}

std::string LockServer::Lock(ConnectionId id, Connection& conn, const LockServerRequest& r) {
    FileKey key{r.directory, r.name};
    const bool write = !r.mode.empty();
    const char mode = write ? 'W' : 'R';
    const std::string who = "stanice "_cz + TrimRight(r.station) + ": ";
    const std::string what = "zámek "_cz + mode + " " + r.directory + TrimRight(r.name);
    const std::string request = r.directory + '\n' + r.name + '\n' + mode + r.station;

    auto refuse = [&](std::string reply, std::string why) {
        if (conn.waitingFor != request) {
            conn.waitingFor = request;
            conn.refusals = 0;
            Log(conn, who + what + " odmítnut, "_cz + why + ", čeká se"_cz);
        }
        ++conn.refusals;
        return reply;
    };

    auto file = files_.find(key);
    if (file != files_.end()) {
        for (const Entry& e : file->second) {
            if (!write && e.mode != 'W') continue;
            std::string held = r.name + " " + e.mode;
            std::string holder = Holder(e);
            std::string why = "soubor drží stanice "_cz + TrimRight(holder) + " (" + e.mode + ")";
            if (e.station == r.station)
                return refuse("Přístup k souboru "_cz + held + " je blokován "_cz + holder, why);
            return refuse("Soubor "_cz + held + " užívá "_cz + holder, why);
        }
    }
    if (conn.heldTotal >= options_.maxLocksPerConnection)
        return refuse("Stanice drží příliš mnoho zámků ("_cz +
                          std::to_string(options_.maxLocksPerConnection) + ")",
                      "spojení drží nejvyšší počet zámků ("_cz +
                          std::to_string(options_.maxLocksPerConnection) + ")");
    if (lockCount_ >= options_.maxLocks)
        return refuse("Tabulka sdílení souborů je plná"_cz,
                      "tabulka zámků je plná ("_cz + std::to_string(options_.maxLocks) + ")");

    std::vector<Entry>& entries = files_[key];
    entries.push_back(Entry{r.station, mode, id});
    ++conn.held[key];
    ++conn.heldTotal;
    ++lockCount_;

    std::string line = who + what + " přidělen"_cz;
    if (!write) line += " (čtecích zámků souboru: "_cz + std::to_string(entries.size()) + ")";
    if (conn.waitingFor == request)
        line += ", předtím odmítnut "_cz + std::to_string(conn.refusals) + "x";
    conn.waitingFor.clear();
    conn.refusals = 0;
    Log(conn, line);
    return std::string(kOk);
}

std::string LockServer::Unlock(ConnectionId id, Connection& conn, const LockServerRequest& r) {
    FileKey key{r.directory, r.name};
    const std::string who = "stanice "_cz + TrimRight(r.station) + ": ";
    auto file = files_.find(key);
    if (file != files_.end()) {
        auto& entries = file->second;
        auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.owner == id && e.station == r.station;
        });
        if (it != entries.end()) {
            char mode = it->mode;
            entries.erase(it);
            if (entries.empty()) files_.erase(file);
            auto held = conn.held.find(key);
            if (held != conn.held.end() && --held->second <= 0) conn.held.erase(held);
            --conn.heldTotal;
            --lockCount_;
            Log(conn,
                who + "zámek "_cz + mode + " " + r.directory + TrimRight(r.name) + " uvolněn"_cz);
            return std::string(kOk);
        }
    }
    // Nothing of this station to release: granted all the same, the client
    // would otherwise repeat the request for ever.
    Log(conn,
        who + "Odemkni "_cz + r.directory + TrimRight(r.name) + ": žádný zámek k uvolnění"_cz);
    return std::string(kOk);
}

std::string LockServer::IfFree(const LockServerRequest& r) const {
    auto file = files_.find(FileKey{r.directory, r.name});
    if (file == files_.end()) return std::string(kOk);
    std::string_view own = std::string_view(r.station).substr(0, 2);
    for (const Entry& e : file->second) {
        if (std::string_view(e.station).substr(0, 2) == own) continue;
        return UpperCz(std::string(1, e.mode) + " " + Holder(e));
    }
    return std::string(kOk);
}

std::string LockServer::Status(ConnectionId asking) const {
    auto field = [](std::string text) {
        // A TAB or a line end would break the reply into wrong fields.
        for (char& ch : text)
            if (IsControl(ch)) ch = '?';
        return "\t" + text;
    };
    std::vector<ConnectionId> ids;
    for (const auto& [id, conn] : connections_)
        if (id != asking) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    std::string reply = std::string(kOk) + field(std::to_string(ids.size())) +
                        field(std::to_string(lockCount_));
    for (ConnectionId id : ids) {
        const Connection& conn = connections_.at(id);
        reply += field("S") + field(conn.peer) + field(std::to_string(conn.heldTotal));
    }
    for (const auto& [key, entries] : files_) {
        for (const Entry& e : entries) {
            auto owner = connections_.find(e.owner);
            reply += field("Z") + field(key.first) + field(key.second) + field(std::string(1, e.mode)) +
                     field(e.station) + field(owner == connections_.end() ? "?" : owner->second.peer);
        }
    }
    return reply;
}

std::size_t LockServer::Disconnect(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return 0;
    Connection& conn = it->second;
    std::size_t released = 0;
    for (const auto& [key, count] : conn.held) {
        auto file = files_.find(key);
        if (file == files_.end()) continue;
        auto& entries = file->second;
        for (auto e = entries.begin(); e != entries.end();) {
            if (e->owner != id) {
                ++e;
                continue;
            }
            Log(conn, "stanice "_cz + TrimRight(e->station) + ": zámek "_cz + e->mode + " " +
                          key.first + TrimRight(key.second) + " uvolněn, spojení skončilo"_cz);
            e = entries.erase(e);
            ++released;
        }
        if (entries.empty()) files_.erase(file);
    }
    lockCount_ -= released;
    Log(conn, "spojení ukončeno, uvolněno zámků: "_cz + std::to_string(released));
    connections_.erase(it);
    return released;
}

std::size_t LockServer::ReleaseAll() {
    std::vector<ConnectionId> ids;
    ids.reserve(connections_.size());
    for (const auto& [id, conn] : connections_) ids.push_back(id);
    std::size_t released = 0;
    for (ConnectionId id : ids) released += Disconnect(id);
    return released;
}

LockServer::FileLocks LockServer::LocksOf(std::string_view directory, std::string_view name) const {
    FileLocks out;
    auto file = files_.find(FileKey{std::string(directory), std::string(name)});
    if (file == files_.end()) return out;
    for (const Entry& e : file->second) {
        if (e.mode == 'W')
            out.writer = true;
        else
            ++out.readers;
    }
    return out;
}

void LockServer::Log(ConnectionId id, std::string_view text) const {
    auto it = connections_.find(id);
    if (it != connections_.end()) Log(it->second, text);
}

void LockServer::Log(const Connection& conn, std::string_view text) const {
    if (!log_) return;
    std::string line = "[" + conn.peer + "] ";
    line.append(text);
    for (char& ch : line)
        if (IsControl(ch)) ch = '?';
    log_(line);
}

}  // namespace kj
