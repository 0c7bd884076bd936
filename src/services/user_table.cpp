// The user table "UZIVATEL.tab": 200 bytes, 100 unsigned 16-bit
// little-endian words. Word 0 not 0: the master program does not watch the
// modules. Word n: set by the master program for the user of station n while
// that user works; a change means the user has been let go.

#include <array>
#include <cstdint>
#include <memory>

#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::size_t kWords = 100;
constexpr std::size_t kTableBytes = 2 * kWords;
constexpr std::uint16_t kNewOwnWord = 99;

using Words = std::array<std::uint16_t, kWords>;

// Reads the table under an exclusive open, so a half-written table is never
// seen; creates it when missing or empty. The open is retried without pause
// while another station holds the file. False (and all words 0) when the
// table cannot be had at all, for example without its directory: retrying
// such an error would hang the program.
bool ReadUserTable(Common& c, Words& words) {
    words.fill(0);
    const std::string path = DataPath(c, "UZIVATEL.tab");
    std::unique_ptr<File> f;
    for (;;) {
        int rc =
            c.fs.Open(path, Access::ReadWrite, Disposition::OpenExisting, Share::Exclusive, &f);
        if (rc == io::kFileNotFound)
            rc =
                c.fs.Open(path, Access::ReadWrite, Disposition::OpenOrCreate, Share::Exclusive, &f);
        if (rc == io::kOk) break;
        if (rc != io::kSharingViolation) return false;
    }
    std::array<unsigned char, kTableBytes> bytes{};
    std::int64_t size = 0;
    int rc = f->Size(&size);
    bool ok = rc == io::kOk;
    if (ok && size == 0) {
        const int own = c.set.stationIndex;
        if (own >= 0 && own < static_cast<int>(kWords))
            words[static_cast<std::size_t>(own)] = kNewOwnWord;
        for (std::size_t i = 0; i < kWords; ++i) codec::PutU16(&bytes[2 * i], words[i]);
        ok = f->Write(bytes.data(), bytes.size()) == io::kOk;
    } else if (ok) {
        std::size_t got = 0;
        ok = f->Read(bytes.data(), bytes.size(), &got) == io::kOk;
        for (std::size_t i = 0; ok && i < kWords; ++i) words[i] = codec::GetU16(&bytes[2 * i]);
    }
    (void)f->Close();
    if (!ok) words.fill(0);
    return ok;
}

std::uint16_t OwnWord(const Common& c, const Words& words) {
    const int own = c.set.stationIndex;
    return own >= 0 && own < static_cast<int>(kWords) ? words[static_cast<std::size_t>(own)] : 0;
}

}  // namespace

std::string UserSlotWord(Common& c) {
    Words words;
    ReadUserTable(c, words);
    return FormatPic("@@@@", OwnWord(c, words));
}

bool UserFlag(Common& c, int n) {
    Words words;
    ReadUserTable(c, words);
    return n >= 0 && n < static_cast<int>(kWords) && words[static_cast<std::size_t>(n)] != 0;
}

bool MasterLeft(Common& c) {
    // One read serves both the watch flag (word 0) and this station's word.
    Words words;
    if (!ReadUserTable(c, words) || words[0] != 0) return false;
    std::string v = FormatPic("@@@@", OwnWord(c, words));
    if (!c.slotRemembered) {
        c.slotRemembered = true;
        c.rememberedSlot = v;
    }
    return v != c.rememberedSlot;
}

}  // namespace kj
