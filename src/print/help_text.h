#pragma once
// Help texts. A help file is helpFile + ".hlp" of the program directory,
// Windows-1250 text divided into topics:
//   - a line beginning with "$" is a topic heading (the "$" is not shown);
//   - a line beginning with "@" is shown as an empty line;
//   - text between "[" and "]" is shown in upper case without the brackets
//     (several such parts may stand on one line; a "[" without its "]" is
//     shown as it is);
//   - every other line is shown unchanged.
// The whole file is rendered into a print file 80 characters wide, which the
// print viewer then shows from the line of the requested topic.
//
// A topic matches the first heading that begins with it, compared without
// diacritics and without regard to case ("knihy" matches "$Knihy jízd").

#include <string>
#include <string_view>

#include "services/common.h"

namespace kj {

inline constexpr int kHelpWidth = 80;
inline constexpr char kHelpPrintFile[] = "help";

// The shown form of one help line.
std::string RenderHelpLine(std::string_view line);
// The topic key: without diacritics, upper case.
std::string HelpTopicKey(std::string_view topic);
// A heading line (with its "$") matches the topic key.
bool HeadingMatches(std::string_view heading, std::string_view topicKey);

// Renders helpFile + ".hlp" into the print file `printName` and stores the
// viewer's start line ("fPozri Index" of "par\okna2.par": the heading's line,
// 1 when no heading matched). Returns the heading's line number (0 when no
// heading matched), or -1 when the help file cannot be read (nothing is
// written then).
int RenderHelp(Common& c, std::string_view helpFile, std::string_view topic,
               std::string_view printName = kHelpPrintFile);

// ShowHelp: renders the help file and shows it in the print viewer at the
// topic. A missing help file shows nothing and raises no message.
void ShowHelp(Common& c, std::string_view helpFile, std::string_view topic);

}  // namespace kj
