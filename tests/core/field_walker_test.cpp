#include "kj_test.h"

#include <tuple>

#include "screens/field_walker.h"
#include "screens/pen_code.h"

namespace kj {
namespace {

using namespace key;

// Records every hook in order; tests plug behaviour into the hooks.
class Walker : public FieldWalker {
public:
    std::vector<std::string> calls;
    std::function<void(int, std::string&)> onOpustPole;
    std::function<void(int)> onPoEnteruPole;

    using FieldWalker::GoToField;

    void Clear() { calls.clear(); }
    // The window opened on these fields.
    void Start(std::vector<WalkField> fields) {
        SetFields(std::move(fields));
        ResetWalk();
        FormShow();
    }

protected:
    void OpustPole(int f, std::string& text) override {
        calls.push_back("OpustPole " + std::to_string(f));
        FieldWalker::OpustPole(f, text);
        if (onOpustPole) onOpustPole(f, text);
    }
    void PoPoli(int f, std::string&) override { calls.push_back("PoPoli " + std::to_string(f)); }
    void PoEnteruPole(int f) override {
        calls.push_back("PoEnteruPole " + std::to_string(f) + " " + Text(f));
        if (onPoEnteruPole) onPoEnteruPole(f);
    }
    void Prijmi() override {
        calls.push_back("Prijmi");
        FieldWalker::Prijmi();
    }
    void PrijmiF2() override {
        calls.push_back("PrijmiF2");
        FieldWalker::PrijmiF2();
    }
    KJ_RECORD_CALL(PriZruseniOpravy) KJ_RECORD_CALL(KlF1) KJ_RECORD_CALL(KlF5)
    KJ_RECORD_CALL(KlF10) KJ_RECORD_CALL(Vizaz) KJ_RECORD_CALL(KlAltF3) KJ_RECORD_CALL(KlAltF10)
    KJ_RECORD_CALL(Navod) KJ_RECORD_CALL(KlCtrlF4) KJ_RECORD_CALL(UlozVzor) KJ_RECORD_CALL(VlozVzor)
};

WalkField F(int state, FieldType type = FieldType::Text, int width = 4, std::string text = "") {
    WalkField f;
    f.state = state, f.type = type, f.width = width, f.text = std::move(text);
    return f;
}

TEST(KeyCodes, CompositeCodePrecedence) {
    // A modifier alone is not offset.
    const std::tuple<int, Mod, int> cases[] = {
        {kF5, Mod::None, 116}, {kF5, Mod::Ctrl, 1116}, {kF5, Mod::Ctrl | Mod::Shift, 2116},
        {kF5, Mod::Ctrl | Mod::Shift | Mod::Alt, 3116}, {kShift, Mod::Shift, 16}, {kB, Mod::Ctrl, 1066}};
    for (auto [vk, mods, code] : cases) EXPECT_EQ(Composite(vk, mods), code) << vk;
}

TEST(FieldWalker, DownAndUpSkipHiddenAndReadOnlyFieldsAndWrap) {
    Walker w;
    // 1 editable, 2 hidden, 3 read-only, 4 editable, 5 read-only.
    w.SetFields({F(1), F(-1), F(0), F(1), F(0)});
    w.ResetWalk();
    EXPECT_TRUE(w.cancelled());
    w.FormShow();
    EXPECT_EQ(w.Current(), 1);
    EXPECT_EQ(w.TakeRequests().focus, 1);

    EXPECT_EQ(w.KeyDown(kDown), KeyResult::Consumed);
    auto r = w.TakeRequests();
    EXPECT_EQ(r.focus, 4);
    EXPECT_TRUE(r.armTimer && !r.close);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"OpustPole 1", "PoPoli 1"}));
    // Up from the first editable field goes to the last editable one; with
    // the wrap flag, Down past the last one starts again.
    w.KeyDown(kUp);
    EXPECT_EQ(w.Current(), 1);
    w.KeyDown(kUp);
    EXPECT_EQ(w.Current(), 4);
    w.SetWrap(Wrap::On);
    w.KeyDown(kDown);
    EXPECT_EQ(w.Current(), 1);
    EXPECT_FALSE(w.TakeRequests().close);

    // Without it, Down past the last editable field accepts the window.
    w.SetWrap(Wrap::Off);
    w.KeyDown(kTab);
    w.Clear();
    w.KeyDown(kDown);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"OpustPole 4", "PoPoli 4", "Prijmi"}));
    EXPECT_TRUE(w.accepted());
    EXPECT_FALSE(w.cancelled());
    EXPECT_TRUE(w.TakeRequests().close);
}

TEST(FieldWalker, WindowWithoutEditableFieldsStillTakesF2AndEsc) {
    Walker w;
    w.Start({F(0), F(-1)});
    EXPECT_EQ(w.Current(), 0);
    EXPECT_EQ(w.TakeRequests().focus, 0);
    for (auto [key, calls] : {std::pair{kF2, "PrijmiF2 Prijmi"}, {kEscape, "PriZruseniOpravy"}}) {
        w.ResetWalk();
        w.Clear();
        w.KeyDown(key);
        std::string seen;
        for (const auto& c : w.calls) seen += (seen.empty() ? "" : " ") + c;
        EXPECT_EQ(seen, calls);
        EXPECT_EQ(w.accepted(), key == kF2);
        EXPECT_EQ(w.cancelled(), key == kEscape);
        EXPECT_TRUE(w.TakeRequests().close);
    }
}

TEST(FieldWalker, EnterNormalisesBeforeItsHookAndSwapsWithTab) {
    Walker w;
    w.Start({F(1, FieldType::CodeRight, 4, "12"), F(1, FieldType::Date, 8, "1.2.24")});
    w.KeyDown(kReturn);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"PoEnteruPole 1 0012", "OpustPole 1", "PoPoli 1"}));
    EXPECT_EQ(w.Text(1), "0012");
    EXPECT_EQ(w.Current(), 2);

    // Tab leaves without PoEnteruPole.
    w.Clear();
    w.KeyDown(kTab);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"OpustPole 2", "PoPoli 2", "Prijmi"}));
    EXPECT_EQ(w.Text(2), "01.02.24");

    // Swapped: the Enter key acts as Tab and the Tab key as Enter.
    w.ResetWalk();
    w.FormShow();
    w.SetEnterTab(EnterTab::Swapped);
    w.Clear();
    w.KeyDown(kReturn);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"OpustPole 1", "PoPoli 1"}));
    EXPECT_EQ(w.Current(), 2);
    w.Clear();
    w.KeyDown(kTab);
    EXPECT_EQ(w.calls.front(), "PoEnteruPole 2 01.02.24");
}

TEST(FieldWalker, FunctionKeysRepeatValueAndCalculator) {
    Walker w;
    WalkField first = F(1, FieldType::Text, 10, "typed");
    first.repeatValue = "last one";
    w.SetFields({first, F(1, FieldType::Real, 6, "12,5")});
    w.Field(2).picture = "###.##";
    w.ResetWalk();
    w.FormShow();

    const std::pair<int, const char*> keys[] = {
        {kF1, "KlF1"},           {kF5, "KlF5"},           {kF10, "KlF10"},
        {kF11, "Vizaz"},         {Alt(kF3), "KlAltF3"},   {Alt(kF10), "KlAltF10"},
        {Ctrl(kF1), "Navod"},    {Ctrl(kF4), "KlCtrlF4"}, {Ctrl(kF12), "UlozVzor"},
        {Shift(kF12), "VlozVzor"},
    };
    for (auto [code, hook] : keys) {
        w.Clear();
        EXPECT_EQ(w.KeyDown(code), KeyResult::Consumed) << hook;
        EXPECT_EQ(w.calls, (std::vector<std::string>{hook}));
        EXPECT_EQ(w.lastKey(), 0);
        EXPECT_EQ(w.Current(), 1);
    }
    // Shift+F5 and a letter are nobody's: they go to the edit box.
    EXPECT_EQ(w.KeyDown(Shift(kF5)), KeyResult::PassOn);
    EXPECT_EQ(w.KeyDown(kA), KeyResult::PassOn);

    // F12 puts the repeat value back and moves on like Down.
    w.Clear();
    w.KeyDown(kF12);
    EXPECT_EQ(w.Text(1), "last one");
    EXPECT_EQ(w.Current(), 2);

    // Ctrl+F9: the calculator starts from the field's number; its result,
    // blanks removed, replaces the text; no result leaves it alone.
    double seen = 0;
    std::optional<std::string> answer = " 25.00 ";
    w.calculator = [&](double v) {
        seen = v;
        return answer;
    };
    w.KeyDown(Ctrl(kF9));
    EXPECT_DOUBLE_EQ(seen, 12.5);
    EXPECT_EQ(w.Text(2), "25.00");
    answer.reset();
    w.KeyDown(Ctrl(kF9));
    EXPECT_EQ(w.Text(2), "25.00");
}

TEST(FieldWalker, PenInput) {
    Walker w;
    w.Start({F(1, FieldType::PenText, 6), F(1, FieldType::Text, 6)});

    // Ctrl+B, the pen types, Enter: the text becomes digits and the pen is off.
    EXPECT_EQ(w.KeyDown(Ctrl(kB)), KeyResult::Consumed);
    EXPECT_TRUE(w.penInput());
    w.SetText(1, "+ěš"_cz);
    w.KeyDown(kReturn);
    EXPECT_FALSE(w.penInput());
    EXPECT_EQ(w.Text(1), "123");
    EXPECT_EQ(w.calls.front(), "PoEnteruPole 1 123");
    EXPECT_EQ(w.Current(), 2);

    // Leaving with Down while the pen is on still converts, and the pen
    // goes off with the field.
    w.KeyDown(kUp);
    w.KeyDown(Ctrl(kB));
    w.SetText(1, "éí"_cz);
    w.KeyDown(kDown);
    EXPECT_EQ(w.Text(1), "09");
    EXPECT_FALSE(w.penInput());

    // End switches the pen on only with the editor's keys and only in a
    // reading-pen field.
    EXPECT_EQ(w.KeyDown(kEnd), KeyResult::PassOn);
    w.SetPenKeys(PenKeys::Editor);
    EXPECT_EQ(w.KeyDown(kEnd), KeyResult::PassOn);  // field 2 is plain text
    EXPECT_FALSE(w.penInput());
    w.KeyDown(kUp);
    EXPECT_EQ(w.KeyDown(kEnd), KeyResult::Consumed);
    EXPECT_TRUE(w.penInput());
    w.KeyDown(kReturn);
    w.KeyDown(kUp);
    w.KeyDown(kShift);
    EXPECT_EQ(w.KeyDown(Shift(kB)), KeyResult::Consumed);
    EXPECT_TRUE(w.penInput());
}

TEST(FieldWalker, HookThatKeepsTheCursorStopsTheKey) {
    Walker w;
    w.Start({F(1, FieldType::Date, 8, "31.4.24"), F(1), F(1)});
    // An invalid date keeps the cursor in field 1: neither Down nor F2 go on.
    w.onOpustPole = [&](int f, std::string& text) {
        if (f == 1 && text == "        ") w.GoToField(1);
    };
    w.KeyDown(kDown);
    EXPECT_EQ(w.Current(), 1);
    w.KeyDown(kF2);
    EXPECT_FALSE(w.accepted());
    EXPECT_EQ(w.TakeRequests().focus, 1);

    // A look-up in PoEnteruPole that sends the cursor on skips leaving the field.
    w.onOpustPole = nullptr;
    w.onPoEnteruPole = [&](int f) {
        if (f == 1) w.GoToField(3);
    };
    w.Clear();
    w.KeyDown(kReturn);
    EXPECT_EQ(w.Current(), 3);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"PoEnteruPole 1 " + std::string(8, ' ')}));
}

TEST(FieldWalker, MouseAndFocusHandlers) {
    Walker w;
    w.Start({F(1, FieldType::TextRight, 5, "ab"), F(1), F(1, FieldType::Text, 5, " x  ")});

    // A click on field 3 (no key): field 1 is left as by Tab, field 3 current.
    w.FieldLeft(1, 3);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"OpustPole 1", "PoPoli 1"}));
    EXPECT_EQ(w.Text(1), "   ab");
    EXPECT_EQ(w.Current(), 3);
    w.Clear();
    w.FieldEntered(3);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"PoPoli 3"}));
    EXPECT_EQ(w.Text(3), "x");
    EXPECT_TRUE(w.TakeRequests().armTimer);

    // The focus change that follows Down: normalised and PoPoli, no second
    // OpustPole.
    w.KeyDown(kUp);
    EXPECT_EQ(w.Current(), 2);
    w.Clear();
    w.FieldLeft(3, 2);
    EXPECT_EQ(w.calls, (std::vector<std::string>{"PoPoli 3"}));
    w.FieldEntered(2);

    // The focus timer puts the focus back on the current field.
    w.TakeRequests();
    w.TimerErrorTimer();
    EXPECT_EQ(w.TakeRequests().focus, 2);
}

}  // namespace
}  // namespace kj
