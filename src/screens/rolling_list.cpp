#include "screens/rolling_list.h"

#include <algorithm>
#include <chrono>

#include "screens/pen_code.h"
#include "screens/record_pictures.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {

namespace {

bool IsSearchPunctuation(char ch) { return ch == ' ' || ch == ',' || ch == '-' || ch == '.'; }

std::string WithoutPunctuation(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text)
        if (!IsSearchPunctuation(ch)) out += ch;
    return out;
}

bool IsDigitKey(int vk) {
    return (vk >= key::k0 && vk <= key::k0 + 9) || (vk >= key::kNumpad0 && vk <= key::kNumpad0 + 9);
}

int DigitOfKey(int vk) { return vk >= key::kNumpad0 ? vk - key::kNumpad0 : vk - key::k0; }

bool EndsWithJpg(std::string_view path) {
    if (path.size() < 4) return false;
    return UpperCz(path.substr(path.size() - 4)) == ".JPG";
}

// Controls under the grid, in cells.
constexpr int kSearchLabelCells = 10;
constexpr int kSearchBoxCells = 25;
constexpr int kCounterCells = 34;
// Default picture panel and text pane, right of the grid.
constexpr int kPanelWidth = 240;
constexpr int kPanelHeight = 180;
constexpr int kTextPaneHeight = 120;

}  // namespace

MsClock SteadyMsClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
}

RollingList::RollingList(Common& c, std::string windowName, ScreenMetrics& metrics)
    : c_(c), metrics_(metrics), windowName_(std::move(windowName)) {
    for (std::size_t i = 0; i < popup_.size(); ++i)
        popup_[i].caption = std::string(1, static_cast<char>('a' + i));
    showPrintSpool = [&c] {
        if (c.showPrintSpool) c.showPrintSpool();
    };
}

void RollingList::SetColumns(Sloupce columns) {
    columns_ = std::move(columns);
    texts_.assign(columns_.size(), std::string());
}

void RollingList::SetPopupItem(int item, std::string caption, bool enabled, int shortcut) {
    if (item < 1 || item > kPopupItems) return;
    popup_[static_cast<std::size_t>(item - 1)] = {std::move(caption), true, enabled, shortcut};
}

void RollingList::SetHelpText(std::string_view help) {
    help_ = std::string(help);
    helpShown_ = help_;
}

bool RollingList::counterRed() const { return c_.set.personalData; }

// ---- opening ----

void RollingList::OtevriSeznam(int leftColumn, int topRow, int rightColumn, int bottomRow,
                               int paper, int ink, std::string_view header,
                               std::string_view help, int current, int count) {
    const std::string suffix = WindowCaption(c_, "");
    caption_ = std::string(header);
    if (!suffix.empty() && caption_.find(suffix) == std::string::npos) caption_ += suffix;

    top_ = 0;
    current_ = current;
    count_ = std::max(0, count);
    firstColumn_ = 1;
    offset_ = 1;
    paper_ = paper;
    ink_ = ink;
    SetHelpText(help);
    helpVisible_ = true;
    maxVisible_ = std::max(1, bottomRow - topRow + 1);
    visible_ = std::min(maxVisible_, count_);
    texts_.assign(columns_.size(), std::string());

    marks_.assign(kMarkBitmapBytes, 0);
    marked_ = 0;
    blockStart_ = 0;
    blockEnd_ = 0;

    key_ = 0;
    pen_ = false;
    penCode_.clear();
    typed_.clear();
    anyDigit_ = false;
    searchActive_ = false;
    picture_ = {};

    appearance_ = NactiVizaz(c_, metrics_, windowName_, VizazKeys::List, paper, ink);
    layout_ = {};
    layout_.form = ListFormRect(c_, windowName_,
                                ListCellRect(leftColumn, topRow, rightColumn, bottomRow,
                                             appearance_.cellWidth, appearance_.cellHeight));
    maxVisible_ = MaxVisibleRows(layout_.form.height, metrics_.scale, appearance_.cellHeight,
                                 options.rowAdjustment);
    Sloupce titled = columns_;
    for (std::size_t k = 0; k < titled.size() && k < listTitles_.size(); ++k)
        titled[k].title = listTitles_[k];
    widths_ = ListColumnWidths(c_, windowName_, titled, appearance_.fontName,
                               appearance_.cellWidth, metrics_.scale);
    NastavPismo();

    PicturePlacement defaults;
    defaults.panel = {layout_.scrollBar.left + kScrollBarWidth + 8, 0, kPanelWidth, kPanelHeight};
    defaults.textPane = {defaults.panel.left, kPanelHeight + 8, kPanelWidth, kTextPaneHeight};
    layout_.picture = ReadPicturePlacement(c_, windowName_, defaults);

    const int index = StoredListIndex(c_, windowName_);
    gridRow_ = count_ > 0 ? 1 : 0;
    if (index >= 1 && index <= count_) {
        JdiNa(index, 2);
    } else {
        top_ = 0;
        Prekresli();
    }
    requests_.layout = true;
    requests_.appearance = true;
}

// ---- layout ----

void RollingList::NastavPismo() {
    const int h = appearance_.cellHeight;
    const int w = appearance_.cellWidth;
    const int rowHeight = ListRowHeight(metrics_.scale, h);
    visible_ = std::min(maxVisible_, count_);
    if (widths_.size() != columns_.size() + 1)
        widths_ = ListColumnWidths(c_, windowName_, columns_, appearance_.fontName, w,
                                   metrics_.scale);

    RollingListLayout& l = layout_;
    l.rowHeight = rowHeight;
    l.columnWidths = widths_;
    // As wide as the whole columns from the first one shown that fit the
    // form beside the scroll bar: a column cut at the grid's right edge
    // would look covered by the scroll bar. Right brings in the columns
    // beyond the edge. When not even one column fits, the grid takes the
    // room there is.
    const int room = l.form.width - kScrollBarWidth - 5;
    int gridWidth = (widths_.empty() ? kMarkColumnWidth : widths_[0] + 1) + 2;
    l.lastWholeColumn = 0;
    for (std::size_t k = static_cast<std::size_t>(std::max(1, firstColumn_)); k < widths_.size(); ++k) {
        if (gridWidth + widths_[k] + 1 > room) break;
        gridWidth += widths_[k] + 1;
        l.lastWholeColumn = static_cast<int>(k);
    }
    if (l.lastWholeColumn == 0 && widths_.size() > 1) gridWidth = room;
    l.grid = {0, 0, std::max(kMarkColumnWidth, gridWidth), (visible_ + 1) * rowHeight + 2};
    const int below = l.grid.top + l.grid.height;
    l.searchLabel = {4, below + 6, kSearchLabelCells * w, h};
    l.searchBox = {l.searchLabel.left + l.searchLabel.width + 4, below + 4, kSearchBoxCells * w,
                   h + 4};
    l.counter = {l.searchBox.left + l.searchBox.width + 10, below + 6, kCounterCells * w, h};
    l.helpLine = {0, l.form.height - (h + 6), std::max(0, l.form.width - w), h + 6};
    int barLeft = l.grid.left + l.grid.width;
    if (barLeft + kScrollBarWidth > l.form.width - 5) barLeft = l.form.width - 5 - kScrollBarWidth;
    l.scrollBar = {barLeft, l.grid.top, kScrollBarWidth, l.grid.height};
}

void RollingList::Relayout() {
    const int row = GridCurrent();
    NastavPismo();
    requests_.layout = true;
    // A grown grid below the last row: the rows stay filled and the
    // current row stays current.
    if (count_ > 0 && top_ + visible_ > count_) {
        top_ = std::max(0, count_ - visible_);
        gridRow_ = std::max(1, row - top_);
    }
}

void RollingList::ApplyAppearance() {
    maxVisible_ = MaxVisibleRows(layout_.form.height, metrics_.scale, appearance_.cellHeight,
                                 options.rowAdjustment);
    Sloupce titled = columns_;
    for (std::size_t k = 0; k < titled.size() && k < listTitles_.size(); ++k)
        titled[k].title = listTitles_[k];
    widths_ = ListColumnWidths(c_, windowName_, titled, appearance_.fontName,
                               appearance_.cellWidth, metrics_.scale);
    Relayout();
    requests_.appearance = true;
    Prekresli();
}

void RollingList::FormResize(int width, int height) {
    if (width == layout_.form.width && height == layout_.form.height) return;
    layout_.form.width = width;
    layout_.form.height = height;
    maxVisible_ = MaxVisibleRows(height, metrics_.scale, appearance_.cellHeight,
                                 options.rowAdjustment);
    Relayout();
    Prekresli();
}

void RollingList::FormMoved(int left, int top) {
    layout_.form.left = left;
    layout_.form.top = top;
}

void RollingList::ColumnResized(int gridColumn, int width) {
    if (gridColumn < 0 || gridColumn >= static_cast<int>(widths_.size()) || width < 1) return;
    widths_[static_cast<std::size_t>(gridColumn)] = width;
    Relayout();
}

void RollingList::PicturePanelChanged(const Rect& panel) {
    layout_.picture.panel = panel;
    StorePicturePanel(c_, windowName_, panel);
}

void RollingList::TextPaneMoved(int left, int top) {
    layout_.picture.textPane.left = left;
    layout_.picture.textPane.top = top;
    StoreTextPane(c_, windowName_, left, top);
}

void RollingList::PictureDoubleClick() {
    DalsiObrazek();
    Prekresli();
}

void RollingList::SetCount(int count) {
    count_ = std::max(0, count);
    Relayout();
    top_ = std::clamp(top_, 0, std::max(0, count_ - visible_));
}

// ---- refill ----

void RollingList::Prekresli() {
    const int n = ColumnCount();
    if (static_cast<int>(texts_.size()) != n) texts_.assign(static_cast<std::size_t>(n), {});
    visible_ = std::max(0, std::min(visible_, count_));
    titles_.resize(static_cast<std::size_t>(n));
    for (std::size_t k = 0; k < columns_.size(); ++k)
        titles_[k] = k < listTitles_.size() ? listTitles_[k] : columns_[k].title;
    if (static_cast<int>(grid_.size()) != visible_) {
        grid_.resize(static_cast<std::size_t>(visible_));
        requests_.layout = true;
    }

    std::string joined;
    for (int r = 1; r <= visible_; ++r) {
        GridRow& g = grid_[static_cast<std::size_t>(r - 1)];
        g.cells.resize(static_cast<std::size_t>(n));
        const int row = top_ + r;
        if (row > count_) {
            g.marked = false;
            for (std::string& cell : g.cells) cell.clear();
            continue;
        }
        read_ = FyzickeCislo(row);
        TextRadku(row, joined);
        g.marked = JeOznacen(read_);
        for (int k = 0; k < n; ++k) {
            std::string_view text = texts_[static_cast<std::size_t>(k)];
            // A text viewer's lines may be longer than a column keeps: the
            // horizontal offset is applied first, so every character of a
            // long line can be scrolled to.
            if (options.textViewer) {
                const std::size_t from = static_cast<std::size_t>(offset_ - 1);
                text = from < text.size() ? text.substr(from) : std::string_view();
            }
            if (text.size() > kColumnTextMax) text = text.substr(0, kColumnTextMax);
            std::string& cell = g.cells[static_cast<std::size_t>(k)];
            cell.assign(text);
            if (n == 1 && options.semicolonsAsBlanks)
                std::replace(cell.begin(), cell.end(), ';', ' ');
        }
    }

    // The grid row stays on a row of the list.
    if (count_ <= 0) {
        top_ = 0;
        gridRow_ = 0;
    } else {
        gridRow_ = std::clamp(gridRow_, 1, std::max(1, visible_));
        if (top_ + gridRow_ > count_) {
            top_ = std::clamp(top_, 0, std::max(0, count_ - visible_));
            gridRow_ = std::max(1, count_ - top_);
        }
    }
    current_ = top_ + gridRow_;
    UpdateCounter(current_);
    PoNaplneni();
    if (options.picturesOn && current_ > 0)
        UkazObrazek();
    else
        picture_ = {};
    PoZobrazeni();
}

void RollingList::TextRadku(int row, std::string& text) {
    CtiVetuProZobrazeni(row);
    FormatujRadek();
    text.clear();
    for (std::size_t k = 0; k < texts_.size(); ++k) {
        if (k > 0) text += ' ';
        text += texts_[k];
    }
}

void RollingList::UpdateCounter(int row) {
    counter_ = FormatPic("#######", count_) + "/" + FormatPic("#######", row) + "  Vybráno:"_cz +
               FormatPic("######", marked_);
}

int RollingList::FyzickeCislo(int row) { return row; }
void RollingList::CtiVetu(int) {}
void RollingList::CtiVetuProZobrazeni(int) {}
void RollingList::ZapisVetu(int) {}

// ---- moving ----

void RollingList::JdiNa(int row, int mode) {
    if (row < 1 || row > count_) return;
    if (maxVisible_ > visible_) {
        const int before = visible_;
        NastavPismo();
        if (visible_ != before) requests_.layout = true;
    }
    const int v = std::max(1, visible_);
    current_ = row;
    gridRow_ = std::clamp(gridRow_, 1, v);
    switch (mode) {
        case 1:
            top_ = row < v ? 0 : row - 1;
            top_ = std::min(top_, count_ - v);
            gridRow_ = row - top_;
            break;
        case 2:
            top_ = std::max(0, row - v);
            if (row + v > count_) top_ = count_ - v;
            gridRow_ = row - top_;
            break;
        case 3:
            top_ = ((row - 1) / v) * v;
            gridRow_ = row % v == 0 ? v : row % v;
            break;
        default:
            top_ = row - gridRow_;
            if (top_ < 0) {
                top_ = 0;
                gridRow_ = row;
            }
            break;
    }
    if ((mode == 0 || mode == 3 || mode < 0 || mode > 3) && count_ - top_ < v) {
        top_ = count_ - v;
        gridRow_ = row - top_;
    }
    Prekresli();
}

void RollingList::GrowVisible() {
    const int want = std::min(maxVisible_, count_);
    if (visible_ < want) visible_ = want;
}

void RollingList::MoveDown() {
    if (gridRow_ == visible_ && top_ + visible_ < count_)
        ++top_;
    else if (gridRow_ < visible_ && top_ + gridRow_ < count_)
        ++gridRow_;
}

void RollingList::MoveUp() {
    if (visible_ < maxVisible_ && gridRow_ == 1 && visible_ < count_) ++visible_;
    if (gridRow_ == 1 && top_ > 0)
        --top_;
    else if (gridRow_ > 1)
        --gridRow_;
}

// ---- marks ----

bool RollingList::JeOznacen(int n) const {
    if (n < 0 || n > kMaxMarkedRecord || marks_.empty()) return false;
    return (marks_[static_cast<std::size_t>(n / 8)] >> (n % 8)) & 1;
}

void RollingList::Oznac(int n) {
    if (n < 0 || n > kMaxMarkedRecord || marks_.empty() || JeOznacen(n)) return;
    marks_[static_cast<std::size_t>(n / 8)] |= static_cast<std::uint8_t>(1u << (n % 8));
    ++marked_;
}

void RollingList::Odznac(int n) {
    if (!JeOznacen(n)) return;
    marks_[static_cast<std::size_t>(n / 8)] &= static_cast<std::uint8_t>(~(1u << (n % 8)));
    --marked_;
}

bool RollingList::Toggle(int n) {
    if (JeOznacen(n)) {
        Odznac(n);
        return false;
    }
    Oznac(n);
    return JeOznacen(n);
}

void RollingList::ZrusOznaceni() {
    std::fill(marks_.begin(), marks_.end(), 0);
    marked_ = 0;
    blockStart_ = 0;
    blockEnd_ = 0;
}

void RollingList::KlInsert() {
    if (current_ < 1 || current_ > count_) return;
    if (IndexAktivni()) {
        Toggle(FyzickeCislo(current_));
    } else if (blockStart_ > 0 && blockStart_ < blockEnd_ && blockStart_ <= current_ &&
               current_ <= blockEnd_) {
        const int last = std::min(blockEnd_, count_);
        for (int row = blockStart_; row <= last; ++row) Toggle(FyzickeCislo(row));
    } else {
        Toggle(FyzickeCislo(current_));
    }
    PoOznaceni();
    MoveDown();
}

void RollingList::MarkBlock() {
    if (blockStart_ <= 0 || blockStart_ > blockEnd_) return;
    const int last = std::min(blockEnd_, count_);
    for (int row = blockStart_; row <= last; ++row) Oznac(FyzickeCislo(row));
}

// ---- keys ----

void RollingList::KeyDown(int vk, key::Mod mods) {
    using namespace key;
    current_ = GridCurrent();
    const int code = Composite(vk, mods);
    key_ = code;
    const int previousRaw = lastRaw_;
    lastRaw_ = vk;
    const int visibleBefore = visible_;

    const bool penOn = (vk == kB && previousRaw == kControl) || vk == kCapital ||
                       (vk == kEnd && c_.set.customerFlag[kPenOnEndFlag]);
    if (penOn) {
        pen_ = true;
        penCode_.clear();
    } else {
        if (!IsDigitKey(vk) && !IsModifierKey(vk) && vk != kReturn) typed_.clear();
        switch (code) {
            case kReturn:
                if (count_ <= 0) return;
                if (!pen_ && typed_.size() < kCodeDigits) {
                    typed_.clear();
                    Choose();
                } else {
                    if (penCode_.empty()) penCode_ = typed_;
                    pen_ = false;
                    typed_.clear();
                    NactenKod();
                }
                return;
            case kEscape:
                current_ = -1;
                PredZavrenim();
                requests_.close = true;
                return;
            case kSpace + kCtrlOffset:
                KlCtrlMezera();
                return;
            case kSpace + kAltOffset:
                KlAltMezera();
                return;
            default:
                Dispatch(code);
                break;
        }
    }
    if (visible_ != visibleBefore) Relayout();
    Prekresli();
}

void RollingList::Dispatch(int code) {
    using namespace key;
    switch (code) {
        case kSpace:
            if (current_ > 0) Oprav();
            return;
        case kPrior:
            GrowVisible();
            top_ = std::max(0, top_ - visible_);
            return;
        case kNext:
            GrowVisible();
            top_ = std::max(0, std::min(top_ + visible_, count_ - visible_));
            return;
        case kEnd:
            GrowVisible();
            top_ = std::max(0, count_ - visible_);
            gridRow_ = visible_;
            return;
        case kHome:
            top_ = 0;
            GrowVisible();
            gridRow_ = 1;
            return;
        case kUp: MoveUp(); return;
        case kDown: MoveDown(); return;
        case kLeft:
            firstColumn_ = std::max(1, firstColumn_ - 1);
            offset_ = std::max(1, offset_ - 1);
            Relayout();
            return;
        case kRight:
            if (firstColumn_ < ColumnCount() - 1) ++firstColumn_;
            offset_ = std::min(kMaxHorizontalOffset, offset_ + 1);
            Relayout();
            return;
        case kLeft + kCtrlOffset: offset_ = std::max(1, offset_ - 20); return;
        case kRight + kCtrlOffset:
            if (offset_ < kMaxHorizontalOffset - 20) offset_ += 20;
            return;
        case kInsert: KlInsert(); return;
        // Ctrl+F10 and Ctrl+F11 have the key codes of the small y and z.
        case 'Y' + kCtrlOffset: case 'Z' + kCtrlOffset:
        case kF10 + kCtrlOffset: case kF11 + kCtrlOffset:
            blockStart_ = current_;
            MarkBlock();
            return;
        // Ctrl + keypad +, keypad 5, keypad 4: the codes of k, e, d.
        case 'K' + kCtrlOffset: case kAdd + kCtrlOffset:
            blockEnd_ = current_;
            MarkBlock();
            return;
        case 'E' + kCtrlOffset: case kNumpad0 + 5 + kCtrlOffset: ExportExcel(); return;
        case 'D' + kCtrlOffset: case kNumpad0 + 4 + kCtrlOffset: ExportDbf(); return;
        case kDelete: KlDel(); return;
        case kF1: KlF1(); return;
        case kF2: KlF2(); return;
        case kF3: KlF3(); return;
        case kF4: Novy(); return;
        case kF5: KlF5(); return;
        case kF6: KlF6(); return;
        case kF7: KlF7(); return;
        case kF8: Zrus(current_); return;
        case kF9: KlF9(); return;
        case kF10:
            KlF10();
            for (const PopupItem& item : popup_)
                if (item.visible) requests_.popupMenu = true;
            return;
        case kF11: KlF11(); return;
        case kF12: KlF12(); return;
        case kF1 + kAltOffset: Setrid1(); return;
        case kF2 + kAltOffset: Setrid2(); return;
        case kF3 + kAltOffset: Setrid3(); return;
        case kF4 + kAltOffset: Setrid4(); return;
        case kF5 + kAltOffset: KlAltF5(); return;
        case kF6 + kAltOffset: KlAltF6(); return;
        case kF7 + kAltOffset: KlAltF7(); return;
        case kF8 + kAltOffset: KlAltF8(); return;
        case kF9 + kAltOffset: KlAltF9(); return;
        case kF10 + kAltOffset: BezTrideni(); return;
        case kF11 + kAltOffset: KlAltF11(); return;
        case kF12 + kAltOffset: KlAltF12(); return;
        case kF1 + kCtrlOffset: Navod(); return;
        case kF2 + kCtrlOffset: UkazTisky(); return;
        case kF3 + kCtrlOffset: KlCtrlF3(); return;
        case kF4 + kCtrlOffset: KlCtrlF4(); return;
        case kF5 + kCtrlOffset: KlCtrlF5(); return;
        case kF6 + kCtrlOffset: KlCtrlF6(); return;
        case kF7 + kCtrlOffset: KlCtrlF7(); return;
        case kF8 + kCtrlOffset: KlCtrlF8(); return;
        case kF9 + kCtrlOffset: KlCtrlF9(); return;
        case kF12 + kCtrlOffset: UlozOpakovani(); return;
        case kF4 + kShiftOffset: KlShiftF4(); return;
        case kF10 + kShiftOffset: KlShiftF10(); return;
        case kF12 + kShiftOffset: VlozOpakovani(); return;
        case kAdd: KlPlus(); return;
        case kSubtract: KlMinus(); return;
        case kMultiply: KlKrat(); return;
        default: break;
    }
    for (std::size_t i = 0; i < popup_.size(); ++i) {
        const PopupItem& item = popup_[i];
        if (item.shortcut == code && item.visible && item.enabled) {
            PolozkaMenu(static_cast<int>(i) + 1);
            return;
        }
    }
    const int raw = RawKey(code);
    const bool plainOrShift = code < kCtrlOffset || (code >= kShiftOffset && code < kAltOffset);
    if (pen_ && plainOrShift && IsDigitKey(raw)) {
        penCode_ += static_cast<char>('0' + DigitOfKey(raw));
        penCode_ = PrevedKod(penCode_);
    } else if (plainOrShift && raw >= 'A' && raw <= 'Z') {
        KlPismeno();
    }
}

void RollingList::Choose() {
    if (IndexAktivni()) {
        const int stored = FyzickeCislo(current_);
        VypniIndex();
        current_ = stored;
        if (options.enterEdits) JdiNa(stored, 0);
    }
    current_ = std::min(current_, count_);
    if (!options.enterEdits) {
        if (!LzeVybrat(current_)) {
            Prekresli();
            return;
        }
        key_ = key::kReturn;
        PredZavrenim();
        requests_.close = true;
    } else if (current_ > 0) {
        Oprav();
    }
}

void RollingList::KeyPress(char ch) {
    if (ch == '\x02') {
        pen_ = true;
        penCode_.clear();
        return;
    }
    if (ch < '0' || ch > '9' || pen_) return;
    const std::int64_t now = clock();
    if (typed_.size() < kTypedDigitsMax) typed_ += ch;
    const bool slow = !anyDigit_ || now - lastDigitMs_ > kTypedDigitGapMs;
    lastDigitMs_ = now;
    anyDigit_ = true;
    if (!slow) return;
    int n = StrToIntLoose(typed_);
    if (n > options.rowOffset) n -= options.rowOffset;
    if (n >= 1 && n <= count_) JdiNa(n, 0);
}

// ---- mouse and scroll bar ----

void RollingList::Click(int gridRow) {
    if (gridRow < 1 || gridRow > visible_ || count_ <= 0) return;
    const int row = std::min(top_ + gridRow, count_);
    if (row < 1) return;
    gridRow_ = row - top_;
    current_ = row;
    Prekresli();
}

void RollingList::DoubleClick(int gridRow) {
    if (gridRow < 1 || gridRow > visible_ || count_ <= 0) return;
    const int row = std::min(top_ + gridRow, count_);
    if (row < 1) return;
    gridRow_ = row - top_;
    current_ = row;
    key_ = key::kReturn;
    Choose();
}

void RollingList::MouseDown(ListMouse button, bool ctrl, int gridRow, int column) {
    if (ctrl && button == ListMouse::Right) {
        KlikMysi();
    } else if (button == ListMouse::Left && gridRow == 0 && column >= 1 &&
               column <= ColumnCount()) {
        Setrid(column);
    }
}

void RollingList::ScrollBarChange(int position) {
    if (count_ <= 0) return;
    JdiNa(std::clamp(position, 1, count_), 0);
}

void RollingList::ScrollBarEsc() {
    current_ = -1;
    PredZavrenim();
    requests_.close = true;
}

void RollingList::PopupChosen(int item) {
    if (item < 1 || item > kPopupItems) return;
    const PopupItem& chosen = popup_[static_cast<std::size_t>(item - 1)];
    if (!chosen.visible || !chosen.enabled) return;
    PolozkaMenu(item);
    Prekresli();
}

RollingList::Requests RollingList::TakeRequests() {
    Requests r = requests_;
    requests_ = {};
    return r;
}

// ---- search ----

void RollingList::KlF3() {
    searchActive_ = true;
    requests_.focusSearch = true;
}

bool RollingList::SearchKeyDown(int vk, key::Mod mods, std::string_view boxText) {
    const int code = key::Composite(vk, mods);
    if (code == key::kEscape) {
        EndSearch(false, boxText);
    } else if (code == key::kF3) {
        EndSearch(true, boxText);
    } else if (code == key::kF3 + key::kCtrlOffset) {
        options.searchIgnoresPunctuation = true;
        EndSearch(true, boxText);
    } else {
        return false;
    }
    return true;
}

void RollingList::PrepniHledani(std::string_view boxText) {
    if (searchActive_)
        EndSearch(true, boxText);
    else
        KlF3();
}

void RollingList::EndSearch(bool run, std::string_view boxText) {
    searchText_ = std::string(boxText);
    if (run && !searchText_.empty()) Hledej();
    searchActive_ = false;
    requests_.focusGrid = true;
    Prekresli();
}

std::string RollingList::Fold(std::string_view text) const {
    return UpperCz(StripDiacritics(text));
}

void RollingList::Hledej() {
    std::string text = options.exactSearch ? searchText_ : Fold(searchText_);
    const bool ignoring = options.searchIgnoresPunctuation;
    if (ignoring) text = WithoutPunctuation(text);
    int row = NajdiText(text);
    if (row < 1 && !ignoring) {
        // Second pass: the punctuation of both sides is left out. The switch
        // holds for this search only.
        options.searchIgnoresPunctuation = true;
        row = NajdiText(WithoutPunctuation(text));
        options.searchIgnoresPunctuation = ignoring;
    }
    if (row > 0) JdiNa(row, 0);
}

void RollingList::KlicHledani(int row, std::string& text) {
    TextRadku(row, text);
    if (!options.exactSearch) text = Fold(text);
}

int RollingList::NajdiText(std::string_view text) {
    if (count_ <= 0 || text.empty()) return -1;
    const std::string savedHelp = helpShown_;
    helpShown_ = "Hledám: "_cz + std::string(text);
    const int start = current_ >= 1 && current_ <= count_ ? current_ : 0;
    // Every row but the current one, once.
    const int limit = start > 0 ? count_ - 1 : count_;
    int row = start;
    int found = -1;
    std::string key;
    BeginBulkRead();
    for (int tried = 1; tried <= limit; ++tried) {
        if (++row > count_) {
            if (options.noSearchWrap) break;
            row = 1;
        }
        // KlicHledani gives the text folded already; folding is idempotent
        // and leaves the punctuation alone, so one fold per row is enough.
        KlicHledani(row, key);
        if (options.searchIgnoresPunctuation) key = WithoutPunctuation(key);
        if (key.find(text) != std::string::npos) {
            found = row;
            break;
        }
        if (tried % 1000 == 0) {
            UpdateCounter(row);
            helpVisible_ = !helpVisible_;
            if (searchProgress) searchProgress();
        }
    }
    EndBulkRead();
    UpdateCounter(found > 0 ? found : row);
    helpVisible_ = true;
    helpShown_ = savedHelp;
    return found;
}

// ---- function keys with a body ----

void RollingList::KlF11() {
    const VizazOutcome out = UpravVizazSeznamu(c_, metrics_, windowName_, appearance_, paper_,
                                               ink_, pickers_, systemParameters);
    if (out.fitWorkArea) {
        const auto [width, height] = WorkAreaSize(c_);
        layout_.form.width = width;
        layout_.form.height = height;
    }
    if (out.appearance || out.fitWorkArea) ApplyAppearance();
}

void RollingList::Navod() { c_.ui.ShowGuide(ProgPath(c_, "\\NAVODY\\"), caption_); }

void RollingList::UkazTisky() {
    if (showPrintSpool) showPrintSpool();
}

void RollingList::UkazNapovedu(std::string_view helpFile, std::string_view topic) {
    if (c_.showHelp) c_.showHelp(helpFile, topic);
}

// ---- pictures ----

void RollingList::KlicObrazku(int row, std::string& key) { key = FormatPic("@@@@@@", row); }

void RollingList::SouborObrazku(int index, std::string& path) {
    path.clear();
    if (!options.picturesOn) return;
    std::string key;
    KlicObrazku(current_, key);
    path = key + "-" + FormatPic("@@", index) + ".jpg";
}

void RollingList::UkazObrazek() {
    picture_.shown = false;
    if (!options.picturesOn || current_ < 1) return;
    std::string path;
    SouborObrazku(0, path);
    if (path.empty() || !EndsWithJpg(path) || FileSizeOf(c_, path) <= 2) return;
    DirEntry entry;
    if (c_.fs.Stat(path, &entry) != 0) return;
    // Decoding costs far more than a key: the same unchanged file is not
    // decoded (nor unscrambled into its copy) again.
    if (path != picture_.path || entry.size != picture_.size ||
        entry.modified != picture_.modified || picture_.image.width == 0) {
        RgbImage image;
        if (!LoadRecordPicture(c_, path, &image).empty()) {
            picture_.path.clear();
            return;
        }
        picture_.path = path;
        picture_.size = entry.size;
        picture_.modified = entry.modified;
        picture_.image = std::move(image);
        ++picture_.version;
    }
    picture_.shown = true;
}

// ---- closing ----

void RollingList::FormClose(const Rect& form) {
    layout_.form = form;
    StoreListGeometry(c_, windowName_, form);
}

void RollingList::Uvolni() {
    // After Esc the row under the cursor is remembered, not the -1.
    StoreListIndex(c_, windowName_, current_ >= 1 ? current_ : GridCurrent());
    if (ColumnCount() >= 2) StoreGridy(c_, windowName_, widths_);
    marks_.clear();
    marks_.shrink_to_fit();
}

}  // namespace kj
