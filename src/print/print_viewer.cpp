#include "print/print_viewer.h"

#include <algorithm>
#include <cstring>

#include "print/help_text.h"
#include "print/port_printer.h"
#include "print/print_fonts.h"
#include "print/print_writer.h"
#include "screens/list_layout.h"
#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::size_t kBlockBytes = 1 << 20;
constexpr int kProgressEvery = 1000;
constexpr int kPageWindow = 4;
constexpr char kViewerHelpFile[] = "\\2\\spool";
constexpr char kViewerHelpReady[] = "\\2\\spool.hhh";
constexpr char kViewerHelpPrint[] = "helpv";
constexpr std::size_t kMaxTableName = 100;
// The paper of the list, and of the help shown over a report.
constexpr int kPaper = RgbColour(255, 255, 255);

// Whole records of a print file read in large blocks, for the operations
// that go through the whole file (page search, prints, rewrites, recoding).
class RecordBlocks {
public:
    RecordBlocks(Common& c, std::string path, int recLen)
        : c_(c), path_(std::move(path)), recLen_(static_cast<std::size_t>(recLen)) {}

    int Open(Access access = Access::Read) {
        int rc = c_.fs.Open(path_, access, Disposition::OpenExisting, Share::Shared, &file_);
        if (rc != io::kOk) return rc;
        std::int64_t size = 0;
        rc = file_->Size(&size);
        size_ = size;
        count_ = recLen_ > 0 ? static_cast<int>(size / static_cast<std::int64_t>(recLen_)) : 0;
        perBlock_ = std::max<std::size_t>(1, kBlockBytes / std::max<std::size_t>(1, recLen_));
        return rc;
    }
    int count() const { return count_; }

    // Record n (1..count); null past the end or after a read error.
    const char* Get(int n) {
        if (n < 1 || n > count_ || !file_) return nullptr;
        if (n < first_ || n >= first_ + have_) {
            const auto k = static_cast<int>(std::min<std::size_t>(perBlock_, count_ - n + 1));
            block_.resize(static_cast<std::size_t>(k) * recLen_);
            std::size_t got = 0;
            error_ = file_->Seek(static_cast<std::uint64_t>(n - 1) * recLen_);
            if (error_ == io::kOk) error_ = file_->Read(block_.data(), block_.size(), &got);
            first_ = n;
            have_ = error_ == io::kOk ? static_cast<int>(got / recLen_) : 0;
            if (have_ == 0) return nullptr;
        }
        return block_.data() + static_cast<std::size_t>(n - first_) * recLen_;
    }
    // Writes the records first..first+k-1 back from `bytes`.
    int Put(int first, const std::string& bytes) {
        int rc = file_->Seek(static_cast<std::uint64_t>(first - 1) * recLen_);
        if (rc == io::kOk) rc = file_->Write(bytes.data(), bytes.size());
        have_ = 0;
        return rc;
    }
    // The bytes after the last whole record.
    std::string Tail() {
        const std::uint64_t from = static_cast<std::uint64_t>(count_) * recLen_;
        std::string tail(static_cast<std::size_t>(static_cast<std::uint64_t>(size_) - from), '\0');
        std::size_t got = 0;
        if (!tail.empty() && (file_->Seek(from) != io::kOk ||
                              file_->Read(tail.data(), tail.size(), &got) != io::kOk))
            got = 0;
        tail.resize(tail.empty() ? 0 : got);
        have_ = 0;
        return tail;
    }
    int error() const { return error_; }
    int Close() { return file_ ? file_->Close() : io::kOk; }

private:
    Common& c_;
    std::string path_;
    std::size_t recLen_;
    std::unique_ptr<File> file_;
    std::int64_t size_ = 0;
    int count_ = 0;
    std::size_t perBlock_ = 1;
    std::string block_;
    int first_ = 0;
    int have_ = 0;
    int error_ = io::kOk;
};

}  // namespace

// ---- free helpers ----

int DetectLineWidth(std::string_view head, std::int64_t fileSize) {
    head = head.substr(0, std::min(head.size(), kWidthProbeBytes));
    auto crlf = [&](std::size_t at) {
        return at + 1 < head.size() && head[at] == '\r' && head[at + 1] == '\n';
    };
    // Bytes k+1, k+2 and 2k+3, 2k+4 counted from 1.
    for (std::size_t k = 1; k < static_cast<std::size_t>(kMaxPrintWidth); ++k)
        if (crlf(k) && crlf(2 * k + 2)) return static_cast<int>(k);
    // A report of one line has no second line to compare: its one line
    // ending the file gives the width (491 would make it a report of no
    // lines at all).
    for (std::size_t k = 1; k < static_cast<std::size_t>(kMaxPrintWidth); ++k)
        if (crlf(k)) return static_cast<std::int64_t>(k) + 2 == fileSize ? static_cast<int>(k) : kMaxPrintWidth;
    return kMaxPrintWidth;
}

std::string ShownLine(std::string_view line) {
    std::string out(line);
    for (char& ch : out) {
        switch (ch) {
            case '\x0C': ch = '@'; break;
            case '\x0E': ch = '#'; break;
            case '\x0F': ch = '~'; break;
            case '\x12': ch = '^'; break;
            default: break;
        }
    }
    return out;
}

int PageNumberIn(const std::string* lines, int count) {
    static constexpr std::array<std::string_view, 4> kMarkers = {"L:", "L :", "List:", "List :"};
    for (std::string_view marker : kMarkers) {
        for (int i = 0; i < count; ++i) {
            const std::string& line = lines[i];
            const std::size_t at = line.find(marker);
            if (at == std::string::npos) continue;
            const std::size_t from = at + marker.size();
            return StrToIntLoose(std::string_view(line).substr(std::min(from, line.size()), 4));
        }
    }
    return -1;
}

// ---- the viewer ----

TfPozri::TfPozri(Common& c, ScreenMetrics& metrics) : TfSoub(c, "fPozri", metrics) {
    options.textViewer = true;
}

TfPozri::~TfPozri() { Release(); }

std::string TfPozri::Footer() {
    return " F1-Help F2-Znaky ^F2-Nová_sestava F3-Najdi F4-Najdi_list F10,F9-Tisk MEZERA-Edit "
           "F5-Počet_opakování ~F9-Tisk_z_velkého_archivu ^F5-Nový_list ~F5-Řádek "
           "^F6-Do_souboru ~F6-Překlad F7-Vlož_řádek F8-Zruš_radek ^F7-Vlož_text"_cz;
}

std::array<std::string, kPopupItems> TfPozri::MenuItems() {
    return {"Tisk",
            "Nastavení tiskárny"_cz,
            "Parametry systému"_cz,
            "Přidej text"_cz,
            "Kalkulačka"_cz,
            "Tisk do PDF",
            "Viditelnost středníků v tisku"_cz,
            "Překóduj do Win"_cz,
            "Překóduj do Dos"_cz,
            "Nastavení fontů pro tisky"_cz,
            ""};
}

bool TfPozri::LoadPrintFile(std::string_view path, bool keepStoredLine) {
    // Read before the shown file is released: the release stores its own
    // line there.
    const int storedLine = keepStoredLine ? StoredListIndex(c_, windowName()) : 1;
    if (loaded_) Release();
    helpView_ = false;
    const std::string p(path);
    std::unique_ptr<File> f;
    int rc = c_.fs.Open(p, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) {
        c_.ui.BeepMessage("Chyba " + std::to_string(rc) + " při otevírání "_cz + p);
        return false;
    }
    std::int64_t size = 0;
    std::string head(kWidthProbeBytes, '\0');
    std::size_t got = 0;
    rc = f->Size(&size);
    if (rc == io::kOk) rc = f->Read(head.data(), head.size(), &got);
    (void)f->Close();
    if (rc != io::kOk) {
        c_.ui.BeepMessage("Chyba " + std::to_string(rc) + " při čtení "_cz + p);
        return false;
    }
    if (size < 3) {
        c_.ui.BeepMessage("Prázdná tisková sestava"_cz);
        return false;
    }
    // The browser keeps at most this much of a table's name.
    if (p.size() + 1 > kMaxTableName) {
        c_.ui.BeepMessage("Příliš dlouhá cesta k sestavě: "_cz + p);
        return false;
    }
    head.resize(got);
    width_ = DetectLineWidth(head, size);

    Sloupce cols(1);
    DefinujSloupec(cols[0], "", 1, "", 0, 0, std::string(static_cast<std::size_t>(width_ + 2), ' '),
                   "X", 1);
    SetColumns(std::move(cols));
    options.textViewer = true;
    options.semicolonsAsBlanks = SemicolonsAsBlanks();
    const std::string full = p.find('\\') != std::string::npos ? p : c_.fs.CurrentDir() + p;
    const CellBox list{1, 1, 98, 34, kColourBlack, kPaper};
    rc = OtevriTabulku("=" + p, " Soubor: " + full, 0, 1, width_ + 2, 1, CellBox{}, list, "", "",
                       Footer());
    if (rc != io::kOk) {
        Odemkni(c_, dataPath());
        Uvolni();
        return false;
    }
    loaded_ = true;
    printPath_ = p;
    addAllowed = false;
    if (count() > 0) JdiNa(std::clamp(storedLine, 1, count()), 1);
    return true;
}

void TfPozri::Release() {
    if (!loaded_) return;
    Odemkni(c_, dataPath());
    Uvolni();
    loaded_ = false;
}

bool TfPozri::ReturnFromHelp() {
    if (!helpView_) return false;
    const std::string back = returnPath_;
    const int row = returnRow_;
    const bool wasFresh = fresh;
    if (LoadPrintFile(back) && row >= 1 && row <= count()) JdiNa(row, 0);
    fresh = wasFresh;
    return true;
}

std::string TfPozri::Encode(std::string_view text) const {
    std::string line(text.substr(0, std::min<std::size_t>(text.size(), width_)));
    line.resize(static_cast<std::size_t>(width_), ' ');
    return c_.set.personalData ? Scramble(line, SystemKey()) : line;
}

std::string TfPozri::Decode(std::string_view record) const {
    const std::string_view line = record.substr(0, std::min<std::size_t>(record.size(), width_));
    return c_.set.personalData ? Unscramble(line, SystemKey()) : std::string(line);
}

std::string TfPozri::Line(int n) {
    if (!loaded_ || n < 1 || n > count()) return {};
    CtiVetu(n);
    return Decode(std::string_view(Veta(), static_cast<std::size_t>(width_)));
}

void TfPozri::WriteLine(int n, std::string_view text) {
    if (!loaded_ || n < 1 || n > count()) return;
    const std::string rec = Encode(text) + "\r\n";
    std::memcpy(Veta(), rec.data(), rec.size());
    ZapisVetu(n);
}

void TfPozri::FormatujRadek() {
    const std::string& rec = displayRecord();
    Text(1) = ShownLine(Decode(std::string_view(rec).substr(0, static_cast<std::size_t>(width_))));
}

// ---- settings ----

bool TfPozri::SemicolonsAsBlanks() { return GetReg(c_, kSysPar, "stredniky") == "Ano"; }

void TfPozri::ToggleSemicolons() {
    const bool on = !SemicolonsAsBlanks();
    SetReg(c_, kSysPar, "stredniky", on ? "Ano" : "");
    options.semicolonsAsBlanks = on;
}

int TfPozri::Density() { return StrToIntLoose(GetReg(c_, kRegistryFile, "Hustota")); }

int TfPozri::RepeatCount() { return StrToIntLoose(GetReg(c_, kRegistryFile, "OpakovatTisk")); }

void TfPozri::KlF2() {
    const int choice = c_.ui.ChooseItem(0, 0, F1Handler(), {"80             ", "100", "130"},
                                        "Počet znaků na řádku"_cz);
    if (choice >= 1 && choice <= 3) SetReg(c_, kRegistryFile, "Hustota", FormatPic("##", choice));
}

void TfPozri::KlF5() {
    std::string value = GetReg(c_, kRegistryFile, "OpakovatTisk");
    if (value.size() < 3) value.insert(0, 3 - value.size(), ' ');
    if (!AskOneField(c_.ui, 10, 10, "Počet opakování"_cz, value)) return;
    value = StripRight(StripLeft(value));
    if (value.size() < 3) value.insert(0, 3 - value.size(), ' ');
    SetReg(c_, kRegistryFile, "OpakovatTisk", value);
}

// ---- F4: a page ----

bool TfPozri::FindPage(int page) {
    if (!loaded_ || count() < 1) return false;
    RecordBlocks blocks(c_, printPath_, width_ + 2);
    if (blocks.Open() != io::kOk) return false;
    const int lines = std::min(count(), blocks.count());
    const int start = std::clamp(current(), 1, std::max(1, lines));
    const std::string searching = "Hledám list č. "_cz + std::to_string(page);
    progress_ = searching;
    std::string window[kPageWindow];
    int found = 0;
    for (int tried = 0; tried < lines && found == 0; ++tried) {
        const int n = (start - 1 + tried) % lines + 1;
        const char* rec = blocks.Get(n);
        if (!rec) break;
        // The first byte tells a page start; scrambled lines need only it
        // unscrambled.
        const char first = c_.set.personalData ? Unscramble(std::string_view(rec, 1), SystemKey())[0]
                                               : rec[0];
        // Page 1 of a report begins at line 1, without a form feed.
        if (first == kFormFeed || n == 1) {
            int have = 0;
            for (int k = n; k < n + kPageWindow && k <= lines; ++k) {
                const char* r = blocks.Get(k);
                if (!r) break;
                window[have++] = Decode(std::string_view(r, static_cast<std::size_t>(width_)));
            }
            if (PageNumberIn(window, have) == page) found = n;
        }
        if ((tried + 1) % kProgressEvery == 0 && pageSearchProgress) {
            progress_ = searching + "  " + FormatPic("######", n) + "/" + FormatPic("######", lines);
            pageSearchProgress();
        }
    }
    (void)blocks.Close();
    progress_.clear();
    if (pageSearchProgress) pageSearchProgress();
    if (found == 0) return false;
    JdiNa(found, 1);
    return true;
}

void TfPozri::Novy() {
    if (!loaded_) return;
    // The field is as wide as the four digits of a page number.
    std::string value = "    ";
    if (!AskOneField(c_.ui, 0, 0, "List", value)) return;
    const int page = StrToIntLoose(value);
    if (page < 1) return;
    if (!FindPage(page))
        (void)c_.ui.ShowNote("List "_cz + std::to_string(page) + " nenalezen", 1000);
}

// ---- printing ----

ReportPrint TfPozri::PrintSettings() {
    ReportPrint how;
    how.topLines = std::clamp(StrToIntLoose(GetJob(c_, "TOPLIST")), 0, 200);
    how.stripDiacritics = UpperCz(RemoveSpaces(GetJob(c_, "DIAKTISK"))) == "N";
    // The stored density, raised when the report's lines would not fit its
    // characters per line (80, 100, 130): a wide report is never cut at the
    // paper's edge because the density was left at 80.
    const int stored = Density();
    const int fits = width_ > 100 ? 3 : width_ > 80 ? 2 : 1;
    how.density = std::max(stored == 2 || stored == 3 ? stored : 1, fits);
    how.semicolonsAsBlanks = SemicolonsAsBlanks();
    how.copies = std::clamp(RepeatCount(), 1, 99);
    return how;
}

std::function<LineSource()> TfPozri::PrintLines() {
    return [this]() -> LineSource {
        auto blocks = std::make_shared<RecordBlocks>(c_, printPath_, width_ + 2);
        if (blocks->Open() != io::kOk) return {};
        const bool marked = markedCount() > 0;
        const int last = std::min(count(), blocks->count());
        int n = marked ? 1 : std::clamp(current(), 1, std::max(1, last));
        return [this, blocks, marked, last, n](std::string& line) mutable {
            while (n <= last) {
                const int k = n++;
                if (marked && !JeOznacen(FyzickeCislo(k))) continue;
                const char* rec = blocks->Get(k);
                if (!rec) return false;
                line = Decode(std::string_view(rec, static_cast<std::size_t>(width_)));
                return true;
            }
            return false;
        };
    };
}

void TfPozri::PrintOnPrinter(PrintTarget target) {
    if (!loaded_ || count() < 1 || !openPrintJob) return;
    std::unique_ptr<PrintJob> job = openPrintJob(target, GetReg(c_, kSysPar, "TiskDefault"));
    if (!job) return;
    PrintCanvas& canvas = job->canvas();
    c_.ui.ShowBusy("Probíhá tisk"_cz);
    PrintReport(canvas, PrintSettings(),
                [&](std::string_view name) {
                    return CreatePrintFont(c_, name, canvas.DpiX(), canvas.DpiY());
                },
                PrintLines());
    const int rc = job->Finish();
    c_.ui.CloseBusy();
    if (rc != 0) c_.ui.BeepMessage("Tisk se nepodařil, chyba "_cz + std::to_string(rc));
}

void TfPozri::PrintOnPort() {
    if (!loaded_ || count() < 1) return;
    PrinterDefinition def;
    const std::string problem = LoadPrinterDefinition(c_, GetJob(c_, "TISKARNA"), &def);
    if (!problem.empty()) {
        c_.ui.BeepMessage(problem);
        return;
    }
    PortOutput port(c_, PrintPortNumber(c_));
    if (port.Open() != io::kOk) return;
    c_.ui.ShowBusy("Probíhá tisk"_cz);
    PortReport(def, PrintSettings(), PrintLines()(),
               [&](std::string_view bytes) { (void)port.Write(bytes); });
    (void)port.Close();
    c_.ui.CloseBusy();
}

void TfPozri::SendToPortBytes(std::string_view bytes) {
    (void)SendToPort(c_, PrintPortNumber(c_), bytes);
}

void TfPozri::KlF9() { PrintOnPort(); }
void TfPozri::KlF10() { PrintOnPrinter(PrintTarget::Printer); }
void TfPozri::KlAltF5() { SendToPortBytes("\n"); }
void TfPozri::KlCtrlF5() { SendToPortBytes("\f"); }

void TfPozri::KlAltF9() {
    if (!loaded_ || count() < 1) return;
    std::string value = "    1";
    if (!AskOneField(c_.ui, 0, 0, "Kolik řádků vytisknout"_cz, value)) return;
    const int from = std::clamp(current(), 1, count());
    const int last = std::min(count(), from + std::max(0, StrToIntLoose(value)) - 1);
    std::string bytes;
    for (int n = from; n <= last; ++n) {
        CtiVetu(n);
        bytes.append(Veta(), static_cast<std::size_t>(width_ + 2));
    }
    std::unique_ptr<File> out;
    int rc = c_.fs.Open(kVoucherFile, Access::Write, Disposition::CreateAlways, Share::Shared, &out);
    if (rc == io::kOk) rc = out->Write(bytes.data(), bytes.size());
    if (out) {
        const int closed = out->Close();
        if (rc == io::kOk) rc = closed;
    }
    if (rc != io::kOk)
        c_.ui.BeepMessage("Chyba " + std::to_string(rc) + " při zápisu "_cz + kVoucherFile);
}

// ---- changing lines ----

std::string TfPozri::WorkPath() const {
    const std::size_t slash = printPath_.find_last_of('\\');
    const std::string dir = slash == std::string::npos ? "" : printPath_.substr(0, slash + 1);
    return dir + kPrintWorkFile;
}

bool TfPozri::Rewrite(int insertBefore, std::string_view insertText, bool dropMarked) {
    if (!loaded_) return false;
    const std::string work = WorkPath();
    RecordBlocks in(c_, printPath_, width_ + 2);
    int rc = in.Open();
    std::unique_ptr<File> out;
    if (rc == io::kOk)
        rc = c_.fs.Open(work, Access::Write, Disposition::CreateAlways, Share::Shared, &out);
    std::string buffer;
    auto put = [&](std::string_view bytes) {
        buffer.append(bytes);
        if (buffer.size() >= kBlockBytes && rc == io::kOk) {
            rc = out->Write(buffer.data(), buffer.size());
            buffer.clear();
        }
    };
    const std::string inserted = insertBefore > 0 ? Encode(insertText) + "\r\n" : std::string();
    const auto recLen = static_cast<std::size_t>(width_ + 2);
    for (int n = 1; rc == io::kOk && n <= in.count(); ++n) {
        if (n == insertBefore) put(inserted);
        const char* rec = in.Get(n);
        if (!rec) {
            rc = in.error() != io::kOk ? in.error() : io::kReadPastEnd;
            break;
        }
        if (dropMarked && JeOznacen(FyzickeCislo(n))) continue;
        put(std::string_view(rec, recLen));
    }
    if (rc == io::kOk && insertBefore > in.count()) put(inserted);
    // Bytes after the last whole line stay with the report.
    if (rc == io::kOk) put(in.Tail());
    if (rc == io::kOk && !buffer.empty()) rc = out->Write(buffer.data(), buffer.size());
    if (out) {
        const int closed = out->Close();
        if (rc == io::kOk) rc = closed;
    }
    (void)in.Close();
    if (rc == io::kOk) rc = c_.fs.ReplaceFile(work, printPath_);
    if (rc != io::kOk) {
        (void)c_.fs.Remove(work);
        c_.ui.BeepMessage("Chyba " + std::to_string(rc) + " při přepisu sestavy "_cz + printPath_);
        return false;
    }
    Obnov();
    return true;
}

bool TfPozri::InsertLine(int before, std::string_view text) {
    if (!loaded_) return false;
    const int row = std::clamp(before, 1, count() + 1);
    if (!Rewrite(row, text, false)) return false;
    JdiNa(std::min(row, count()), 0);
    return true;
}

bool TfPozri::DeleteMarkedLines() {
    if (!loaded_ || markedCount() == 0) return false;
    const int row = current();
    const bool ok = Rewrite(0, {}, true);
    if (ok) ZrusOznaceni();
    if (count() > 0) JdiNa(std::clamp(row, 1, count()), 0);
    return ok;
}

void TfPozri::KlF7() {
    if (loaded_) InsertLine(std::max(1, current()), std::string(static_cast<std::size_t>(width_), ' '));
}

void TfPozri::KlCtrlF7() {
    if (!loaded_) return;
    std::string text = editLine ? std::string() : std::string(static_cast<std::size_t>(width_), ' ');
    const bool ok = editLine ? editLine(text, "Vlož text"_cz) : AskOneField(c_.ui, 0, 0, "Text", text);
    if (ok) InsertLine(std::max(1, current()), text);
}

void TfPozri::Zrus(int /*row*/) {
    if (!loaded_ || count() < 2) return;
    Oznac(FyzickeCislo(current()));
    DeleteMarkedLines();
}

void TfPozri::Oprav() {
    if (!loaded_ || count() < 1) return;
    const int n = std::clamp(current(), 1, count());
    std::string text = Line(n);
    const bool ok = editLine ? editLine(text, "Oprava řádku"_cz)
                             : AskOneField(c_.ui, 0, 0, "Řádek"_cz, text);
    if (!ok) return;
    WriteLine(n, text);
    Prekresli();
}

void TfPozri::Recode(bool toWindows) {
    if (!loaded_) return;
    RecordBlocks blocks(c_, printPath_, width_ + 2);
    int rc = blocks.Open(Access::ReadWrite);
    const auto recLen = static_cast<std::size_t>(width_ + 2);
    const int perBlock = static_cast<int>(std::max<std::size_t>(1, kBlockBytes / recLen));
    std::string bytes;
    for (int first = 1; rc == io::kOk && first <= blocks.count(); first += perBlock) {
        const int last = std::min(blocks.count(), first + perBlock - 1);
        bytes.clear();
        for (int n = first; n <= last; ++n) {
            const char* rec = blocks.Get(n);
            if (!rec) {
                rc = blocks.error() != io::kOk ? blocks.error() : io::kReadPastEnd;
                break;
            }
            const std::string line = Decode(std::string_view(rec, recLen));
            bytes += Encode(toWindows ? DosToWin(line) : WinToDos(line));
            bytes.append(rec + width_, 2);
        }
        if (rc == io::kOk) rc = blocks.Put(first, bytes);
    }
    const int closed = blocks.Close();
    if (rc == io::kOk) rc = closed;
    if (rc != io::kOk)
        c_.ui.BeepMessage("Chyba " + std::to_string(rc) + " při překódování "_cz + printPath_);
    Prekresli();
}

// ---- F1, Ctrl+F2, the pop-up menu ----

void TfPozri::KlF1() {
    if (!loaded_ || helpView_) return;
    std::string path;
    bool keep = false;
    const std::string ready = ProgPath(c_, kViewerHelpReady);
    if (FileSizeOf(c_, ready) >= 3) {
        path = ready;
    } else {
        if (RenderHelp(c_, kViewerHelpFile, "Prohlížeč"_cz, kViewerHelpPrint) < 0) return;
        path = std::string(kViewerHelpPrint) + ".TXT";
        keep = true;
    }
    const std::string back = printPath_;
    const int row = current();
    const bool wasFresh = fresh;
    if (!LoadPrintFile(path, keep)) {
        LoadPrintFile(back);
        if (row >= 1 && row <= count()) JdiNa(row, 0);
        return;
    }
    returnPath_ = back;
    returnRow_ = row;
    fresh = wasFresh;
    helpView_ = true;
}

void TfPozri::UkazTisky() {
    if (!chooseReport) return;
    const std::string path = chooseReport();
    if (path.empty()) return;
    const bool wasFresh = fresh;
    if (LoadPrintFile(path)) fresh = false;
    else fresh = wasFresh;
}

void TfPozri::KlShiftF10() { menuRequested_ = true; }

void TfPozri::KlCtrlF6() { NotHere(); }
void TfPozri::KlAltF6() { NotHere(); }

void TfPozri::NotHere() {
    c_.ui.BeepMessage("Zápis úseku do souboru a překlad sestavy tento program nemá"_cz);
}

bool TfPozri::TakeMenuRequest() {
    const bool r = menuRequested_;
    menuRequested_ = false;
    return r;
}

void TfPozri::MenuChosen(int item) {
    PolozkaMenu(item);
    Prekresli();
}

void TfPozri::PolozkaMenu(int item) {
    switch (item) {
        case 1: PrintOnPrinter(PrintTarget::Printer); break;
        case 2:
            if (printerSetup) {
                const std::string name = printerSetup(GetReg(c_, kSysPar, "TiskDefault"));
                if (!name.empty()) SetReg(c_, kSysPar, "TiskDefault", name);
            }
            break;
        case 3:
            if (systemParameters) systemParameters();
            break;
        case 4: KlCtrlF7(); break;
        case 5:
            if (calculator) calculator();
            break;
        case 6: PrintOnPrinter(PrintTarget::Pdf); break;
        case 7: ToggleSemicolons(); break;
        case 8: Recode(true); break;
        case 9: Recode(false); break;
        case 10:
            if (fontSettings) fontSettings();
            break;
        default: break;
    }
}

}  // namespace kj
