#include "kj_test.h"

#include <algorithm>

#include "services/collate.h"

namespace kj {
namespace {

int W(unsigned char c) { return CzechWeights()[c]; }

TEST(Collate, WeightTable) {
    const auto& w = CzechWeights();
    std::vector<bool> seen(256, false);
    for (int c = 0; c < 256; ++c) {
        ASSERT_FALSE(seen[w[static_cast<std::size_t>(c)]]) << "weight given twice, code " << c;
        seen[w[static_cast<std::size_t>(c)]] = true;
    }
    for (int c = 0; c <= 64; ++c) EXPECT_EQ(W(static_cast<unsigned char>(c)), c);
    const std::string cz = "AaÁáÂĂÄäBbCcČčDdĎďEeÉéĚěęëFfGgHh"_cz;
    EXPECT_EQ(W('A'), 65);
    EXPECT_EQ(W('H'), 65 + 30);
    EXPECT_EQ(W(0xA0), 97);  // "CH"
    EXPECT_EQ(W(0xA2), 99);  // "ch"
    EXPECT_EQ(W('I'), 100);
    EXPECT_EQ(W(static_cast<unsigned char>("ž"_cz[0])), 168);
    for (std::size_t i = 0; i + 1 < cz.size(); ++i)
        EXPECT_EQ(W(static_cast<unsigned char>(cz[i])) + 1, W(static_cast<unsigned char>(cz[i + 1])));
    // The rest in code order from "[" on; unlisted letters after "ž".
    EXPECT_EQ(W('['), 169);
    EXPECT_EQ(W('`'), 174);
    EXPECT_EQ(W('{'), 175);
    EXPECT_EQ(W(127), 179);
    EXPECT_EQ(W(0x80), 180);
    EXPECT_EQ(W(0xFF), 255);
    for (const char* s : {"ą", "ł", "â", "ă", "ŕ", "Ľ"})
        EXPECT_GT(W(static_cast<unsigned char>(Utf8ToCp1250(s)[0])), 168) << s;
}

TEST(Collate, CzechOrder) {
    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end(),
                  [](const std::string& a, const std::string& b) { return CollateKey(a) < CollateKey(b); });
        return v;
    };
    // "ch" after every "h", before "i"; the three spellings in their order.
    std::vector<std::string> want = {"Hrad", "hůl"_cz, "hýbat"_cz, "CHATA", "Chata", "chata", "chůze"_cz,
                                     "Ihla", "ihned"};
    EXPECT_EQ(sorted({"ihned", "chata", "Ihla", "CHATA", "hýbat"_cz, "Chata", "Hrad", "chůze"_cz, "hůl"_cz}),
              want);
    // "Č" after every plain "C" or "c"; accented letters next to their base.
    want = {"Cyril", "cyklus", "Čáp"_cz, "čáp"_cz, "Dům"_cz, "Ďas"_cz, "ďábel"_cz, "Emil", "Řád"_cz, "Šimon"_cz,
            "Žena"_cz, "žena"_cz};
    EXPECT_EQ(sorted({"žena"_cz, "Ďas"_cz, "Čáp"_cz, "Emil", "cyklus", "Řád"_cz, "Žena"_cz, "Dům"_cz,
                      "čáp"_cz, "Cyril", "ďábel"_cz, "Šimon"_cz}),
              want);
    // Digits and blanks before letters, "[" and unlisted letters after "ž".
    EXPECT_LT(CollateKey("9"), CollateKey("A"));
    EXPECT_LT(CollateKey("A B"), CollateKey("AB"));
    EXPECT_LT(CollateKey("žž"_cz), CollateKey("["));
    EXPECT_LT(CollateKey("žž"_cz), CollateKey("ł"_cz));

    // Only the first "ch" joins; a second one is "c" then "h".
    EXPECT_EQ(CollateKey("chochol").size(), 6u);
    EXPECT_LT(CollateKey("chochol"), CollateKey("chohol"));    // c < h
    EXPECT_LT(CollateKey("chlach"), CollateKey("chlad"));     // c < d
    // Each spelling joins once on its own; "cH" never joins.
    EXPECT_EQ(CollateKey("CHChch").size(), 3u);
    EXPECT_EQ(CollateKey("cH"), std::string({static_cast<char>(W('c')), static_cast<char>(W('H'))}));
    EXPECT_LT(CollateKey("cH"), CollateKey("ch"));
    EXPECT_EQ(CollateKey(""), "");
}

}  // namespace
}  // namespace kj
