#include "kj_test.h"

#include "services/protocol.h"

namespace kj {
namespace {

TEST(Scramble, KeyCyclesAndRotationsRunOneToSeven) {
    // Zero bytes show the key byte of each position rotated right by 1..7:
    // key bytes 1,2,4,1,2,4,1,2,4,1 and rotations 1..7,1,2,3.
    EXPECT_EQ(Scramble(std::string(10, '\0'), "\x01\x02\x04"),
              "\x80\x80\x80\x10\x10\x10\x02\x01\x01\x20");
    // XOR first, then the rotation: 0xFF ^ 0x0F = 0xF0, rotated by 1.
    EXPECT_EQ(Scramble("\xff", "\x0f"), "\x78");
    EXPECT_EQ(Unscramble("\x78", "\x0f"), "\xff");
}

TEST(Scramble, RoundTripAndEmptyInputs) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    all += all;
    EXPECT_EQ(SystemKey().size(), 17u);
    for (const std::string& key : {SystemKey(), std::string("abc"), std::string("\xff")}) {
        std::string s = Scramble(all, key);
        EXPECT_NE(s, all);
        EXPECT_EQ(Unscramble(s, key), all);
    }
    EXPECT_EQ(Scramble("Jan", ""), "Jan");
    EXPECT_EQ(Unscramble("Jan", ""), "Jan");
    EXPECT_EQ(Scramble("", "abc"), "");
}

TEST(Scramble, FileInBlocksOf250) {
    rectest::TempStation s;
    Common& c = s.c;

    std::string data;
    for (int i = 0; i < 600; ++i) data += static_cast<char>(i * 7 + 3);
    WriteHost(s.work / "a.jpg", data);
    ASSERT_EQ(ScrambleFile(c, "a.jpg"), io::kOk);
    const std::string& k = SystemKey();
    std::string scrambled = ReadHost(s.work / "a.jpg");
    EXPECT_EQ(scrambled, Scramble(data.substr(0, 250), k) + Scramble(data.substr(250, 250), k) +
                             Scramble(data.substr(500), k));
    EXPECT_NE(scrambled, Scramble(data, k));  // each block starts the key afresh
    ASSERT_EQ(UnscrambleFile(c, "a.jpg"), io::kOk);
    EXPECT_EQ(ReadHost(s.work / "a.jpg"), data);

    // One byte is left alone; a missing file is reported.
    WriteHost(s.work / "b.jpg", "x");
    EXPECT_EQ(ScrambleFile(c, "b.jpg"), io::kOk);
    EXPECT_EQ(ReadHost(s.work / "b.jpg"), "x");
    EXPECT_EQ(ScrambleFile(c, "c.jpg"), io::kFileNotFound);
}

}  // namespace
}  // namespace kj
