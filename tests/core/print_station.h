#pragma once
// Fixtures of the print tests: a station with a program directory, print
// files planted byte for byte, and a page printer that records what is
// drawn on it.

#include <memory>
#include <string>
#include <vector>

#include "print/print_canvas.h"
#include "print/print_viewer.h"
#include "rec_station.h"

namespace kj::printtest {

namespace fs = std::filesystem;

// A station in <dir>/work with the program directory <dir>/PROG.
struct Station : rectest::Station {
    explicit Station(const fs::path& root) : rectest::Station(root) {
        fs::create_directories(root / "PROG" / "2");
        c.progDirCache = "C:\\PROG\\";
        c.dataDirCache = "C:\\WORK\\";
        c.lock.lockingOff = true;
    }
};

// Lines padded to the width, each with CR LF: a print file as the writer
// leaves it.
inline std::string PrintFile(const std::vector<std::string>& lines, std::size_t width) {
    std::string out;
    for (std::string line : lines) {
        line.resize(width, ' ');
        out += line + "\r\n";
    }
    return out;
}

// What a page printer was asked to do, one entry a call.
struct Drawn {
    std::string op;  // "font", "text", "page", "picture"
    int x = 0, y = 0;
    std::string text;  // the text, the font's face name or the picture's file
    int height = 0;
    int right = 0, bottom = 0;  // a picture's rectangle; a font's weight in `right`
};

// A page printer of fixed metrics: every character 10 dots wide, a line as
// high as the font (20 dots for a font of height 0), pages 200 dots high.
class RecordingCanvas final : public PrintCanvas {
public:
    int dpiX = 600, dpiY = 600;
    int pageHeight = 200;
    std::vector<Drawn> calls;

    int DpiX() const override { return dpiX; }
    int DpiY() const override { return dpiY; }
    int PageWidth() const override { return 2000; }
    int PageHeight() const override { return pageHeight; }
    void SetFont(const PrintFont& f) override {
        font_ = f;
        calls.push_back({"font", 0, 0, f.faceName, f.height, f.weight, 0});
    }
    int TextWidth(std::string_view text) override { return 10 * static_cast<int>(text.size()); }
    int CharWidth() override { return 10; }
    int LineHeight() override { return font_.height > 0 ? font_.height : 20; }
    void DrawText(int x, int y, std::string_view text) override {
        calls.push_back({"text", x, y, std::string(text), 0});
    }
    void NewPage() override { calls.push_back({"page", 0, 0, "", 0}); }
    bool DrawPicture(int left, int top, int right, int bottom, const std::string& file) override {
        calls.push_back({"picture", left, top, file, 0, right, bottom});
        return true;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const Drawn& d : calls)
            if (d.op == "text") out.push_back(d.text);
        return out;
    }
    int Count(const std::string& op) const {
        int n = 0;
        for (const Drawn& d : calls) n += d.op == op;
        return n;
    }

private:
    PrintFont font_;
};

// A print job on a RecordingCanvas that outlives the job.
class RecordingJob final : public PrintJob {
public:
    explicit RecordingJob(RecordingCanvas& canvas, int* finished) : canvas_(canvas), finished_(finished) {}
    PrintCanvas& canvas() override { return canvas_; }
    int Finish() override {
        ++*finished_;
        return 0;
    }

private:
    RecordingCanvas& canvas_;
    int* finished_;
};

}  // namespace kj::printtest
