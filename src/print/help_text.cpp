#include "print/help_text.h"

#include <memory>

#include "print/print_output.h"
#include "print/print_writer.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr char kViewerIndexKey[] = "fPozri Index";
constexpr char kOkna2[] = "par\\okna2.par";

bool ReadWhole(Common& c, const std::string& path, std::string* text) {
    std::unique_ptr<File> f;
    if (c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f) != io::kOk)
        return false;
    char block[8192];
    std::size_t got = 0;
    int rc;
    while ((rc = f->Read(block, sizeof block, &got)) == io::kOk && got > 0) text->append(block, got);
    (void)f->Close();
    return rc == io::kOk;
}

}  // namespace

std::string RenderHelpLine(std::string_view line) {
    if (!line.empty() && line.front() == '@') return {};
    if (!line.empty() && line.front() == '$') line.remove_prefix(1);
    std::string out;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t open = line.find('[', at);
        const std::size_t close = open == std::string_view::npos ? open : line.find(']', open);
        if (close == std::string_view::npos) {
            out.append(line.substr(at));
            break;
        }
        out.append(line.substr(at, open - at));
        out += UpperCz(line.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return out;
}

std::string HelpTopicKey(std::string_view topic) { return UpperCz(StripDiacritics(topic)); }

bool HeadingMatches(std::string_view heading, std::string_view topicKey) {
    if (heading.empty() || heading.front() != '$') return false;
    const std::string key = HelpTopicKey(heading.substr(1));
    return key.size() >= topicKey.size() && key.compare(0, topicKey.size(), topicKey) == 0;
}

int RenderHelp(Common& c, std::string_view helpFile, std::string_view topic,
               std::string_view printName) {
    std::string text;
    if (!ReadWhole(c, ProgPath(c, std::string(helpFile) + ".hlp"), &text)) return -1;
    // A writer of its own: the station's writer may be in the middle of a
    // report when somebody asks for help.
    PrintWriter writer(c);
    writer.Open(printName, kHelpWidth);
    const std::string key = HelpTopicKey(topic);
    int heading = 0;  // line number of the matching heading
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number;
        if (heading == 0 && HeadingMatches(line, key)) heading = number;
        writer.WriteLine(RenderHelpLine(line));
    }
    writer.Close();
    // The viewer starts at the heading, or at line 1.
    SetReg(c, kOkna2, kViewerIndexKey, FormatPic("######", heading > 0 ? heading : 1));
    return heading;
}

void ShowHelp(Common& c, std::string_view helpFile, std::string_view topic) {
    PrintOutput& out = PrintOutputOf(c);
    const std::string name = out.FreeHelpName();
    if (RenderHelp(c, helpFile, topic, name) < 0) return;
    out.ShowHelpFile(name);
}

}  // namespace kj
