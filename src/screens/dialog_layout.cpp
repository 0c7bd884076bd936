#include "screens/dialog_layout.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

int Px(double v) {
    return static_cast<int>(std::lround(v));
}

int Len(std::string_view s) {
    return static_cast<int>(s.size());
}

std::optional<int> IfPositive(int cells, int pixels) {
    if (cells <= 0) return std::nullopt;
    return pixels;
}

int ReadNumber(Common& c, std::string_view file, const std::string& key) {
    return StrToIntLoose(GetReg(c, file, key));
}

}  // namespace

// ---- remembered positions ----

PixelPoint ReadDialogPosition(Common& c, std::string_view caption, PositionSuffixes keys) {
    std::string prefix = CaptionPrefix(caption);
    return {ReadNumber(c, kWindowParams, prefix + std::string(keys.left)),
            ReadNumber(c, kWindowParams, prefix + std::string(keys.top))};
}

void StoreDialogPosition(Common& c, std::string_view caption, PositionSuffixes keys,
                         PixelPoint where) {
    std::string prefix = CaptionPrefix(caption);
    SetReg(c, kWindowParams, prefix + std::string(keys.left),
           FormatPic("@@@@@@", std::max(0, where.x)));
    SetReg(c, kWindowParams, prefix + std::string(keys.top),
           FormatPic("@@@@@@", std::max(0, where.y)));
}

PixelPoint CentreOver(const PixelRect& owner, int width, int height) {
    return {std::max(0, owner.left + (owner.width - width) / 2),
            std::max(0, owner.top + (owner.height - height) / 2)};
}

int ClampToWorkArea(int value, int extent) {
    return value > extent - 100 ? extent - 100 : value;
}

PixelPoint PlaceDialog(std::optional<int> left, std::optional<int> top, PixelPoint current,
                       PixelPoint stored, std::pair<int, int> workArea) {
    PixelPoint p{left.value_or(current.x), top.value_or(current.y)};
    if (stored.x > 0) p.x = stored.x;
    if (stored.y > 0) p.y = stored.y;
    p.x = ClampToWorkArea(p.x, workArea.first);
    p.y = ClampToWorkArea(p.y, workArea.second);
    return p;
}

// ---- AskYesNo ----

YesNoLayout LayoutYesNo(const ScreenMetrics& m, int col, int row, std::string_view question) {
    YesNoLayout l;
    double w = (Len(question) + 6) * m.cellWidth * m.scale;
    if (w < 188) w = 188;
    l.width = Px(w * m.scale);
    l.height = 5 * m.cellHeight;
    l.left = IfPositive(col, col * m.cellWidth);
    l.top = IfPositive(row, row * (m.cellHeight + 4));
    l.question = {8, 6, l.width - 16, m.cellHeight};
    const int bw = 75, bh = 25;
    int below = l.question.top + l.question.height;
    int by = below + std::max(4, (l.height - below - bh) / 2);
    l.yes = {l.width / 2 - bw - 6, by, bw, bh};
    l.no = {l.width / 2 + 6, by, bw, bh};
    return l;
}

YesNoAction YesNoKey(DialogKey key, char typed, bool yesFocused) {
    if (key == DialogKey::Escape) return YesNoAction::No;
    if (key == DialogKey::Enter) return yesFocused ? YesNoAction::Yes : YesNoAction::No;
    if (key == DialogKey::CtrlF1) return YesNoAction::Guide;
    if (typed == 'A' || typed == 'a') return YesNoAction::Yes;
    if (typed == 'N' || typed == 'n') return YesNoAction::No;
    return YesNoAction::None;
}

// ---- AskFields ----

FieldsLayout LayoutFields(const ScreenMetrics& m, int col, int row,
                          const std::vector<std::string>& items, std::string_view title) {
    FieldsLayout f;
    const double s = m.scale;
    const std::size_t n = (items.size() + 1) / 2;
    int longestLabel[2] = {0, 0};
    int longestText[2] = {0, 0};
    for (std::size_t k = 0; k < n; ++k) {
        FieldsLine line;
        line.label = items[2 * k];
        if (2 * k + 1 < items.size()) line.initial = items[2 * k + 1];
        line.hasLabel = !line.label.empty();
        line.enabled = FieldHasInput(line.label, line.initial);
        int column = k < kRowsPerColumn ? 0 : 1;
        longestLabel[column] = std::max(longestLabel[column], Len(line.label));
        longestText[column] = std::max(longestText[column], Len(line.initial));
        f.lines.push_back(std::move(line));
    }
    int chars = longestLabel[0] + longestText[0] + longestLabel[1] + longestText[1] + 5;
    chars = std::max(chars, Len(title));
    f.width = Px((chars + 8) * 6 * s);

    const int labelHeight = Px(m.cellHeight * s);
    auto rowTop = [&](int r) { return Px((r + 1) * (m.cellHeight + 4) * s); };
    const int label1 = Px(6 * s);
    const int field1 = Px((longestLabel[0] + 1) * 6 * s);
    const int label2 = field1 + Px((longestText[0] + 5) * 6 * s);
    const int field2 = label2 + Px(longestLabel[1] * 6 * s);
    for (std::size_t k = 0; k < n; ++k) {
        FieldsLine& line = f.lines[k];
        bool second = k >= static_cast<std::size_t>(kRowsPerColumn);
        int top = rowTop(static_cast<int>(k % kRowsPerColumn) + 1);
        // A label may use the whole room up to its field.
        int labelLeft = second ? label2 : label1;
        line.labelRect = {labelLeft, top + 1, (second ? field2 : field1) - labelLeft, labelHeight};
        line.fieldRect = {second ? field2 : field1, top, Px((Len(line.initial) + 3) * 6 * s),
                          labelHeight + 2};
    }
    int lastRow = std::clamp(static_cast<int>(n), 1, kRowsPerColumn);
    f.height = rowTop(lastRow) + 4 * labelHeight;
    f.left = IfPositive(col, (col - 1) * 8);
    f.top = IfPositive(row, (row - 1) * m.cellHeight);
    return f;
}

int FirstField(const FieldsLayout& f) {
    for (std::size_t k = 0; k < f.lines.size(); ++k)
        if (f.lines[k].enabled) return static_cast<int>(k) + 1;
    return 0;
}

int NextField(const FieldsLayout& f, int current) {
    const int n = static_cast<int>(f.lines.size());
    for (int step = 1; step <= n; ++step) {
        int k = (std::clamp(current, 0, n) + step - 1) % n + 1;
        if (f.lines[static_cast<std::size_t>(k - 1)].enabled) return k;
    }
    return 0;
}

int PreviousField(const FieldsLayout& f, int current) {
    const int n = static_cast<int>(f.lines.size());
    if (current < 1 || current > n) current = 1;
    for (int step = 1; step <= n; ++step) {
        int k = ((current - 1 - step) % n + n) % n + 1;
        if (f.lines[static_cast<std::size_t>(k - 1)].enabled) return k;
    }
    return 0;
}

FieldsAction FieldsKey(DialogKey key) {
    switch (key) {
        case DialogKey::Escape:
            return FieldsAction::Leave;
        case DialogKey::Enter:
        case DialogKey::F2:
        case DialogKey::F4:
            return FieldsAction::Accept;
        case DialogKey::Down:
        case DialogKey::Tab:
            return FieldsAction::Next;
        case DialogKey::Up:
        case DialogKey::BackTab:
            return FieldsAction::Previous;
        case DialogKey::F9:
            return FieldsAction::Calculator;
        case DialogKey::F10:
            return FieldsAction::FileDialog;
        case DialogKey::CtrlF1:
            return FieldsAction::Guide;
        case DialogKey::F1:
            return FieldsAction::Help;
        case DialogKey::Other:
            break;
    }
    return FieldsAction::None;
}

std::string CalculatorText(double value) {
    return RemoveSpaces(RealToStr(0, 2, value));
}

std::string ChosenFileText(std::string_view name) {
    return RemoveSpaces(name);
}

// ---- ChooseItem ----

ChoiceLayout LayoutChoice(const ScreenMetrics& m, int col, int row,
                          const std::vector<std::string>& items, std::string_view title) {
    ChoiceLayout ch;
    const double s = m.scale;
    const std::size_t n = items.size();
    int longest[2] = {0, 0};
    for (std::size_t i = 0; i < n; ++i) {
        ChoiceLine line;
        line.shown = items[i];
        line.enabled = ChoiceEnabled(line.shown);
        if (!line.shown.empty() && (line.shown[0] == '*' || line.shown[0] == '-'))
            line.shown[0] = ' ';
        int column = i < static_cast<std::size_t>(kRowsPerColumn) ? 0 : 1;
        longest[column] = std::max(longest[column], Len(line.shown));
        ch.items.push_back(std::move(line));
    }
    const bool twoColumns = n > static_cast<std::size_t>(kRowsPerColumn);
    const int first = std::max(Len(title), longest[0]);
    int chars = first + longest[1] + 7 + (twoColumns ? 5 : 0);
    ch.width = Px(chars * m.cellWidth * s);
    const int itemHeight = Px(m.cellHeight * s);
    for (std::size_t i = 0; i < n; ++i) {
        ChoiceLine& line = ch.items[i];
        int r = static_cast<int>(i % kRowsPerColumn) + 1;
        int left = i < static_cast<std::size_t>(kRowsPerColumn) ? m.cellWidth
                                                                : Px((first + 5) * m.cellWidth * s);
        line.rect = {left, Px((r + 1) * m.cellHeight * s),
                     Px((Len(line.shown) + 3) * m.cellWidth * s), itemHeight};
    }
    int lastRow = std::clamp(static_cast<int>(n), 1, kRowsPerColumn);
    ch.height = Px((lastRow + 1) * m.cellHeight * s) + Px(4 * m.cellHeight * s);
    ch.left = IfPositive(col, (col - 1) * m.cellWidth);
    ch.top = IfPositive(row, (row - 1) * m.cellHeight);
    // "F2-OK" in the free space under the items, at the right.
    const int bw = 50, bh = 22;
    ch.okButton = {std::max(4, ch.width - bw - 8), ch.height - bh - 8, bw, bh};
    return ch;
}

int NextChoice(const ChoiceLayout& ch, int current) {
    const int n = static_cast<int>(ch.items.size());
    for (int step = 1; step <= n; ++step) {
        int i = (std::clamp(current, 0, n) + step - 1) % n + 1;
        if (ch.items[static_cast<std::size_t>(i - 1)].enabled) return i;
    }
    return 0;
}

int PreviousChoice(const ChoiceLayout& ch, int current) {
    const int n = static_cast<int>(ch.items.size());
    if (current < 1 || current > n) current = 1;
    for (int step = 1; step <= n; ++step) {
        int i = ((current - 1 - step) % n + n) % n + 1;
        if (ch.items[static_cast<std::size_t>(i - 1)].enabled) return i;
    }
    return 0;
}

ChoiceAction ChoiceKey(DialogKey key) {
    switch (key) {
        case DialogKey::Escape:
            return ChoiceAction::Leave;
        case DialogKey::Enter:
        case DialogKey::F2:
            return ChoiceAction::Accept;
        case DialogKey::Down:
            return ChoiceAction::Next;
        case DialogKey::Up:
            return ChoiceAction::Previous;
        case DialogKey::F9:
            return ChoiceAction::Calculator;
        case DialogKey::F10:
            return ChoiceAction::Print;
        case DialogKey::CtrlF1:
            return ChoiceAction::Guide;
        case DialogKey::F1:
            return ChoiceAction::Help;
        default:
            break;
    }
    return ChoiceAction::None;
}

// ---- busy notice ----

BusyLayout LayoutBusy(const ScreenMetrics& m, std::string_view text) {
    BusyLayout b;
    const int step = m.cellWidth + 4;
    b.width = (Len(text) + 5) * step;
    // A text too long for the screen's middle starts at the left edge.
    b.left = std::max(0, 400 - ((Len(text) + 5) / 2) * step);
    b.text = {8, 6, b.width - 16, m.cellHeight};
    b.bar = {8, b.text.top + b.text.height + 6, b.width - 16, 16};
    b.height = b.bar.top + b.bar.height + 8;
    return b;
}

int NextBusyStep(int position) {
    return position >= 10 || position < 1 ? 1 : position + 1;
}

// ---- timed note ----

std::string NoteCaption() {
    return "Počkejte na uvolnění !!! "_cz;
}

std::string NoteQuestion() {
    return "Došlo k poruše, chcete ignorovat ochranu souborů"_cz;
}

NoteLayout LayoutNote(const ScreenMetrics& m, std::string_view text) {
    NoteLayout n;
    n.width = std::clamp((Len(text) + 4) * m.cellWidth, 300, 1000);
    n.height = 4 * m.cellHeight;
    n.text = {m.cellWidth, m.cellHeight / 2, n.width - 2 * m.cellWidth, 3 * m.cellHeight};
    return n;
}

// ---- help box ----

HelpLayout LayoutHelpBox(const ScreenMetrics& m, int col, int row, std::string_view title,
                         const std::vector<std::string>& lines) {
    HelpLayout h;
    h.caption = title.empty() ? std::string("Tabule") : std::string(title);
    h.left = IfPositive(col, col * m.cellWidth);
    h.top = IfPositive(row, row * m.cellHeight);
    int longest = 0;
    int height = 5;
    int bottom = 0;
    for (std::size_t i = 0; i < lines.size() && i < static_cast<std::size_t>(kHelpLines); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        // An empty line leaves its row free: the text keeps its paragraphs.
        PixelRect r{10, static_cast<int>(i) * 17 + 5, 0, 15};
        h.labels.emplace_back(line, r);
        longest = std::max(longest, Len(line));
        height += r.height + 5;
        bottom = r.top + r.height;
    }
    // 9 pixels a character, but never so narrow or low that a line is cut.
    h.width = std::max(9 * longest, 8 * longest + 20);
    h.height = std::max(height, bottom + 5);
    for (auto& [text, r] : h.labels) r.width = h.width - r.left - 4;
    return h;
}

// ---- guide window ----

GuideGeometry ReadGuideGeometry(Common& c) {
    return {ReadNumber(c, kWindowParams, " HintLeft"), ReadNumber(c, kWindowParams, " HintTop"),
            ReadNumber(c, kWindowParams, " HintWidth"),
            ReadNumber(c, kWindowParams, " HintHeight")};
}

void StoreGuideGeometry(Common& c, const GuideGeometry& g) {
    SetReg(c, kWindowParams, " HintLeft", FormatPic("@@@@", std::max(0, g.left)));
    SetReg(c, kWindowParams, " HintTop", FormatPic("@@@@", std::max(0, g.top)));
    SetReg(c, kWindowParams, " HintWidth", FormatPic("@@@@", std::max(0, g.width)));
    SetReg(c, kWindowParams, " HintHeight", FormatPic("@@@@", std::max(0, g.height)));
}

std::string GuideTitle(std::string_view title) {
    std::string t(title);
    for (char& ch : t)
        if (std::string_view("\".:\\/?*").find(ch) != std::string_view::npos) ch = '_';
    return t;
}

std::string GuideCaption(std::string_view directory, std::string_view title) {
    return GuideTitle(title) + " : " + std::string(directory);
}

std::string GuideFileName(std::string_view directory, std::string_view title) {
    return std::string(directory) + GuideTitle(title) + ".nav";
}

GuideAction GuideKey(DialogKey key) {
    if (key == DialogKey::F2) return GuideAction::Edit;
    if (key == DialogKey::Escape) return GuideAction::Close;
    return GuideAction::None;
}

GuideText LoadGuide(Common& c, std::string_view directory, std::string_view title) {
    GuideText g;
    g.path = GuideFileName(directory, title);
    DirEntry e;
    std::string data;
    std::unique_ptr<File> f;
    if (c.fs.Stat(g.path, &e) == io::kOk && !e.directory && e.size >= 3 &&
        c.fs.Open(g.path, Access::Read, Disposition::OpenExisting, Share::Shared, &f) == io::kOk) {
        char buf[4096];
        std::size_t got = 0;
        while (f->Read(buf, sizeof buf, &got) == io::kOk && got > 0) data.append(buf, got);
        (void)f->Close();
    } else {
        ForceDirs(c, g.path);
        return g;
    }
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] != '&') g.lines.push_back(std::move(line));
        start = end + 1;
    }
    return g;
}

namespace {

// The full name of a path in the system's own form (drive and directories).
std::string FullName(Common& c, const std::string& path) {
    if (path.size() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'))) return path;
    std::string cwd = c.fs.CurrentDir();
    if (!path.empty() && path[0] == '\\') return cwd.substr(0, 2) + path;
    return cwd + path;
}

}  // namespace

int SaveGuide(Common& c, const std::string& path, const std::vector<std::string>& lines) {
    std::string data;
    for (const auto& line : lines) data += line + "\r\n";
    data += "&" + FullName(c, path) + "\r\n";
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::Write, Disposition::CreateAlways, Share::Shared, &f);
    if (rc == io::kPathNotFound) {
        ForceDirs(c, path);
        rc = c.fs.Open(path, Access::Write, Disposition::CreateAlways, Share::Shared, &f);
    }
    if (rc != io::kOk) return rc;
    rc = f->Write(data.data(), data.size());
    int closed = f->Close();
    return rc != io::kOk ? rc : closed;
}

}  // namespace kj
