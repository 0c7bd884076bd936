#include "kj_test.h"

#include "print/print_output.h"
#include "print_station.h"
#include "screens/calculator.h"

namespace kj {
namespace {

using printtest::Station;

class CalculatorTest : public ::testing::Test {
protected:
    // Opens the calculator with `value`, types `keys` (characters; "\x1b"
    // is Esc, "\r" Enter) and returns what Calculate gave.
    std::optional<double> Run(double value, const std::string& keys) {
        k.show = [&](TfKalk& shown) {
            for (char ch : keys) {
                if (ch == '\x1b') shown.KeyDown(key::kEscape);
                else if (ch == '\r') shown.KeyDown(key::kReturn);
                else shown.KeyChar(ch);
                if (shown.TakeRequests().close) return;
            }
        };
        return k.Calculate(value);
    }

    TestDir dir;
    Station s{dir.path()};
    TfKalk& k = KalkulackaOf(s.c);
};

TEST_F(CalculatorTest, TapeStartsWithTheStartingValueAndRecordsEveryStep) {
    EXPECT_EQ(Run(100, "25+"), std::nullopt);  // left without accepting
    EXPECT_EQ(k.tape(), (std::vector<std::string>{"         100.00 =", "             25 +",
                                                  "         125.00 ="}));
    EXPECT_EQ(StripLeft(k.result()), "125.00 ");
    // Each operation applies to the result; a new digit starts a new operand.
    const std::optional<double> r = Run(10, "3*4-2/2/\r");
    ASSERT_TRUE(r.has_value());
    EXPECT_DOUBLE_EQ(*r, 6.5);
    EXPECT_EQ(k.resultText(), "6.50");
    EXPECT_EQ(k.tape(), (std::vector<std::string>{"          10.00 =", "              3 *",
                                                  "          30.00 =", "              4 -",
                                                  "          26.00 =", "              2 /",
                                                  "          13.00 =", "              2 /",
                                                  "           6.50 ="}));
}

TEST_F(CalculatorTest, DivisionByZeroChangesNothing) {
    Run(100, "5+0/");
    EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Dělení nulou"_cz});
    EXPECT_EQ(k.tape().size(), 3u);
    EXPECT_EQ(StripLeft(k.result()), "105.00 ");
    // Esc gives nothing back, the caller's field stays as it was.
    EXPECT_EQ(Run(7, "3+\x1b"), std::nullopt);
    EXPECT_FALSE(k.accepted());
    EXPECT_EQ(k.resultText(), "");
}

TEST_F(CalculatorTest, ClearingKeysAndEditing) {
    k.show = [](TfKalk& shown) {
        shown.KeyChar('1');
        shown.KeyChar('2');
        shown.KeyChar('\b');
        shown.KeyChar(',');
        shown.KeyChar('5');
        EXPECT_EQ(shown.operand(), "1,5");
        shown.KeyChar('+');
        EXPECT_EQ(StripLeft(shown.result()), "3.50 ");
        shown.ClearButton();  // "C-nuluj": fields empty, the tape stays
        EXPECT_EQ(shown.result(), "");
        EXPECT_EQ(shown.tape().size(), 3u);
        shown.KeyChar('4');
        shown.KeyChar('+');
        EXPECT_EQ(StripLeft(shown.result()), "4.00 ");
        shown.KeyChar('c');  // "C": the tape goes too
        EXPECT_TRUE(shown.tape().empty());
        shown.KeyDown(key::kF2);
    };
    EXPECT_EQ(k.Calculate(2), 0.0);
    EXPECT_TRUE(k.accepted());
}

TEST_F(CalculatorTest, ResultsLargerThanThePictureKeepAllTheirDigits) {
    Run(999999999, "2+");
    EXPECT_EQ(StripLeft(k.result()), "1 000 000 001.00 ");
    Run(123456789012345.0, "1+");
    EXPECT_EQ(StripLeft(k.result()), "123 456 789 012 346.00 ");
    EXPECT_EQ(k.tape().front(), "123456789012345.00 =");
}

TEST_F(CalculatorTest, F10PrintsTheTapeAsParagonAndThePlaceIsRemembered) {
    ConnectCalculator(s.c);
    std::vector<std::string> viewed;
    PrintOutputOf(s.c).showViewer = [&](TfPozri& v) {
        viewed.push_back(v.printPath() + ":" + std::to_string(v.lineWidth()));
        v.KeyDown(key::kEscape, key::Mod::None);
    };
    k.show = [&](TfKalk& shown) {
        shown.KeyDown(key::kF10);  // an empty tape prints nothing
        shown.KeyChar('5');
        shown.KeyChar('+');
        shown.KeyDown(key::kF10);
        shown.FormClose(120, 80);
        shown.KeyDown(key::kEscape);
    };
    k.Calculate(1);
    EXPECT_EQ(viewed, std::vector<std::string>{"Paragon.txt:20"});
    EXPECT_EQ(ReadHost(s.Work("Paragon.TXT")),
              printtest::PrintFile({"           1.00 =", "              5 +", "           6.00 ="}, 20));
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "Kalkulačka KalkLeft"_cz), "000120");
    k.show = nullptr;
    k.Calculate(0);
    EXPECT_EQ(k.left(), 120);
    EXPECT_EQ(k.top(), 80);
}

}  // namespace
}  // namespace kj
