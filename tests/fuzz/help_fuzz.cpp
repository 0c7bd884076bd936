// A help file of any content: rendered into a print file of one
// 80-character line for each help line, with the topic found at a heading
// that matches it.

#include <algorithm>

#include "fuzz_station.h"
#include "print/help_text.h"

using namespace kj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& s = fuzz::FreshStation();
    const std::string text(fuzz::Bytes(data, size));
    WriteHost(s.Prog("kj.hlp"), text);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
        at = end + 1;
    }
    // The topic: the start of the last heading, or every heading.
    std::string topic;
    bool anyHeading = false;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] != '$') continue;
        topic = line.substr(1, 4);
        anyHeading = true;
    }

    const int heading = RenderHelp(s.c, "kj", topic, "napoveda");
    FUZZ_CHECK(heading >= 0 && heading <= static_cast<int>(lines.size()));
    FUZZ_CHECK(ReadHost(s.Work("napoveda.TXT")).size() == lines.size() * (kHelpWidth + 2));
    if (heading > 0) {
        FUZZ_CHECK(HeadingMatches(lines[static_cast<std::size_t>(heading - 1)], HelpTopicKey(topic)));
        for (int i = 0; i + 1 < heading; ++i)
            FUZZ_CHECK(!HeadingMatches(lines[static_cast<std::size_t>(i)], HelpTopicKey(topic)));
    }
    FUZZ_CHECK((heading > 0) == anyHeading);
    return 0;
}
