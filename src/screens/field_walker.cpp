#include "screens/field_walker.h"

#include "screens/key_codes.h"
#include "services/picture.h"

namespace kj {

void FieldWalker::SetFields(std::vector<WalkField> fields) {
    fields_ = std::move(fields);
    if (current_ > FieldCount()) current_ = 0;
}

void FieldWalker::SetText(int i, std::string_view text) {
    if (ValidField(i)) Field(i).text = std::string(text);
}

void FieldWalker::SetState(int i, int state) {
    if (ValidField(i)) Field(i).state = state;
}

void FieldWalker::ResetWalk() {
    current_ = 0;
    lastKey_ = 0;
    lastRaw_ = 0;
    accepted_ = false;
    cancelled_ = true;
    pen_ = false;
    movedByHook_ = false;
    wrap_ = Wrap::Off;
    requests_ = {};
}

FieldWalker::Requests FieldWalker::TakeRequests() {
    Requests r = requests_;
    requests_ = {};
    return r;
}

std::string FieldWalker::Normalize(int field, std::string_view text) const {
    if (!ValidField(field)) return std::string(text);
    const WalkField& f = Field(field);
    return NormalizeFieldText({f.type, f.width, f.picture}, text,
                              pen_ ? PenInput::On : PenInput::Off);
}

void FieldWalker::OpustPole(int field, std::string& text) {
    text = Normalize(field, text);
    PoPoli(field, text);
}

void FieldWalker::PoPoli(int, std::string&) {}
void FieldWalker::PoEnteruPole(int) {}

void FieldWalker::Prijmi() {
    accepted_ = true;
    cancelled_ = false;
    Close();
}

void FieldWalker::UkazTisky() {
    if (showPrintSpool) showPrintSpool();
}

void FieldWalker::GoToField(int field) {
    if (!ValidField(field)) return;
    MoveTo(field);
    movedByHook_ = true;
}

void FieldWalker::MoveTo(int field) {
    if (field != current_) pen_ = false;
    current_ = field;
    requests_.focus = field;
    requests_.armTimer = true;
}

int FieldWalker::NextEditable(int after) const {
    for (int i = after + 1; i <= FieldCount(); ++i)
        if (Editable(i)) return i;
    return 0;
}

int FieldWalker::PreviousEditable(int before) const {
    for (int i = before - 1; i >= 1; --i)
        if (Editable(i)) return i;
    return 0;
}

int FieldWalker::EnterKey() const {
    return enterTab_ == EnterTab::Swapped ? key::kTab : key::kReturn;
}

int FieldWalker::TabKey() const {
    return enterTab_ == EnterTab::Swapped ? key::kReturn : key::kTab;
}

void FieldWalker::LeaveCurrent() {
    const int field = current_;
    if (!ValidField(field)) return;
    std::string text = Text(field);
    OpustPole(field, text);
    SetText(field, text);
}

void FieldWalker::MoveNext() {
    if (movedByHook_) return;
    int next = NextEditable(current_);
    if (next == 0) {
        if (wrap_ == Wrap::Off) {
            Prijmi();
            return;
        }
        next = NextEditable(0);
        if (next == 0) return;
    }
    MoveTo(next);
}

void FieldWalker::MovePrevious() {
    if (movedByHook_) return;
    int previous = PreviousEditable(current_);
    if (previous == 0) previous = PreviousEditable(FieldCount() + 1);
    if (previous != 0) MoveTo(previous);
}

// The function keys of the key map; true when the code is one of them.
bool FieldWalker::FunctionKey(int code) {
    using namespace key;
    switch (code) {
        case Ctrl(kF1): Navod(); return true;
        case Ctrl(kF2): UkazTisky(); return true;
        case Ctrl(kF3): KlCtrlF3(); return true;
        case Ctrl(kF4): KlCtrlF4(); return true;
        case Ctrl(kF5): KlCtrlF5(); return true;
        case Ctrl(kF6): KlCtrlF6(); return true;
        case Ctrl(kF7): KlCtrlF7(); return true;
        case Ctrl(kF8): KlCtrlF8(); return true;
        case Ctrl(kF9):
            if (ValidField(current_) && Editable(current_) && calculator) {
                if (auto result = calculator(StrToFloatLoose(Text(current_))))
                    SetText(current_, RemoveSpaces(*result));
            }
            return true;
        case Alt(kF1): KlAltF1(); return true;
        case Alt(kF2): KlAltF2(); return true;
        case Alt(kF3): KlAltF3(); return true;
        case Alt(kF4): KlAltF4(); return true;
        case Alt(kF5): KlAltF5(); return true;
        case Alt(kF6): KlAltF6(); return true;
        case Alt(kF7): KlAltF7(); return true;
        case Alt(kF8): KlAltF8(); return true;
        case Alt(kF9): KlAltF9(); return true;
        case Alt(kF10): KlAltF10(); return true;
        case Ctrl(kF12): UlozVzor(); return true;
        case Shift(kF12): VlozVzor(); return true;
        case kF1: KlF1(); return true;
        case kF3: KlF3(); return true;
        case kF4: KlF4(); return true;
        case kF5: KlF5(); return true;
        case kF6: KlF6(); return true;
        case kF7: KlF7(); return true;
        case kF8: KlF8(); return true;
        case kF9: KlF9(); return true;
        case kF10: KlF10(); return true;
        case kF11: Vizaz(); return true;
        case kF12:
            if (ValidField(current_)) SetText(current_, Field(current_).repeatValue);
            return true;
        default:
            return false;
    }
}

KeyResult FieldWalker::KeyDown(int code) {
    using namespace key;
    movedByHook_ = false;
    const int previousRaw = lastRaw_;
    lastRaw_ = RawKey(code);
    lastKey_ = code;

    const bool penField = ValidField(current_) && Field(current_).type == FieldType::PenText;
    const bool penOn =
        code == Ctrl(kB) ||
        (penKeys_ == PenKeys::Editor && penField &&
         ((RawKey(code) == kB && previousRaw == kShift) || code == kEnd || code == kCapital));
    if (penOn) {
        pen_ = true;
        lastKey_ = 0;
        return KeyResult::Consumed;
    }

    bool handled = FunctionKey(code);
    if (pen_ && code == kReturn) {
        pen_ = false;
        if (ValidField(current_)) SetText(current_, PrevedKod(Text(current_)));
    }

    if (code == kEscape) {
        cancelled_ = true;
        PriZruseniOpravy();
        Close();
    } else if (code == kDown || code == kF2 || code == kF12) {
        LeaveCurrent();
        if (code == kF2) {
            if (!movedByHook_) PrijmiF2();
        } else {
            MoveNext();
        }
    } else if (code == EnterKey()) {
        if (ValidField(current_)) {
            SetText(current_, Normalize(current_, Text(current_)));
            PoEnteruPole(current_);
        }
        if (!movedByHook_) {
            LeaveCurrent();
            MoveNext();
        }
    } else if (code == kUp) {
        LeaveCurrent();
        MovePrevious();
    } else if (code == TabKey()) {
        LeaveCurrent();
        MoveNext();
    } else {
        lastKey_ = 0;
        return handled ? KeyResult::Consumed : KeyResult::PassOn;
    }
    return KeyResult::Consumed;
}

void FieldWalker::FieldEntered(int field) {
    if (!ValidField(field)) return;
    if (field != current_) pen_ = false;
    current_ = field;
    std::string text = Normalize(field, Text(field));
    PoPoli(field, text);
    SetText(field, StripRight(text));
    requests_.armTimer = true;
    lastKey_ = 0;
}

void FieldWalker::FieldLeft(int field, int to) {
    if (!ValidField(field)) return;
    std::string text = Text(field);
    // A change no key caused (a mouse click) counts as Tab towards the
    // clicked field.
    if (lastKey_ == 0 && to != current_) {
        OpustPole(field, text);
        SetText(field, text);
        if (ValidField(to)) {
            if (to != current_) pen_ = false;
            current_ = to;
        }
        return;
    }
    text = Normalize(field, text);
    PoPoli(field, text);
    SetText(field, text);
}

void FieldWalker::FormShow() {
    const int first = NextEditable(0);
    if (first != 0) {
        current_ = first;
        requests_.focus = first;
    }
}

void FieldWalker::TimerErrorTimer() {
    if (ValidField(current_)) requests_.focus = current_;
}

}  // namespace kj
