// Scrambling of personal data: each byte is XORed with the next key
// character and rotated right by 1..7 bits, key position and rotation both
// cycling.

#include <cstdint>
#include <memory>
#include <string>

#include "services/io_codes.h"
#include "services/protocol.h"

namespace kj {
namespace {

// The key is characters 14 to 30 of this text. Changing it makes every file
// scrambled so far unreadable, so all stations of an installation share it.
constexpr char kKeySource[] = "Knihy jizd - Qm7#Vx2!Lp9@Rt4Zk";
constexpr std::size_t kKeyFrom = 14;
constexpr std::size_t kKeyLength = 17;
static_assert(sizeof kKeySource - 1 == 30 && kKeyFrom - 1 + kKeyLength == 30);

constexpr std::size_t kFileBlock = 250;

unsigned char RotateRight(unsigned char v, int r) {
    return static_cast<unsigned char>((v >> r) | (v << (8 - r)));
}

unsigned char RotateLeft(unsigned char v, int r) {
    return static_cast<unsigned char>((v << r) | (v >> (8 - r)));
}

// Runs `step` over the text with the key character and the rotation of each
// position: key characters 1, 2, .., n, 1, ..; rotations 1..7, 1, ..
template <typename Step>
std::string Walk(std::string_view text, std::string_view key, Step step) {
    if (text.empty() || key.empty()) return std::string(text);
    std::string out(text.size(), '\0');
    std::size_t k = 0;
    int r = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        k = k == key.size() ? 1 : k + 1;
        r = r == 7 ? 1 : r + 1;
        out[i] = static_cast<char>(
            step(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(key[k - 1]), r));
    }
    return out;
}

// The file in place, block by block; each block is one text.
template <typename Transform>
int TransformFile(Common& c, std::string_view path, Transform transform) {
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::ReadWrite, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = f->Size(&size);
    for (std::uint64_t at = 0; rc == io::kOk && size >= 2 && at < static_cast<std::uint64_t>(size);
         at += kFileBlock) {
        std::string block(kFileBlock, '\0');
        std::size_t got = 0;
        rc = f->Seek(at);
        if (rc == io::kOk) rc = f->Read(block.data(), block.size(), &got);
        if (rc != io::kOk || got == 0) break;
        block.resize(got);
        std::string done = transform(block);
        rc = f->Seek(at);
        if (rc == io::kOk) rc = f->Write(done.data(), done.size());
    }
    int closed = f->Close();
    return rc != io::kOk ? rc : closed;
}

}  // namespace

const std::string& SystemKey() {
    static const std::string key(kKeySource + kKeyFrom - 1, kKeyLength);
    return key;
}

std::string Scramble(std::string_view text, std::string_view key) {
    return Walk(text, key, [](unsigned char c, unsigned char k, int r) {
        return RotateRight(static_cast<unsigned char>(c ^ k), r);
    });
}

std::string Unscramble(std::string_view text, std::string_view key) {
    return Walk(text, key, [](unsigned char y, unsigned char k, int r) {
        return static_cast<unsigned char>(RotateLeft(y, r) ^ k);
    });
}

int ScrambleFile(Common& c, std::string_view path) {
    return TransformFile(c, path, [](const std::string& b) { return Scramble(b, SystemKey()); });
}

int UnscrambleFile(Common& c, std::string_view path) {
    return TransformFile(c, path, [](const std::string& b) { return Unscramble(b, SystemKey()); });
}

}  // namespace kj
