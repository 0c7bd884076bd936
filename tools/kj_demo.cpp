// Builds the demo installation from demo/template: a drive root holding the
// station's working directory (work\), the data directory (data\) and the
// program directory (prog\). Text files of the template are UTF-8 in the
// repository and are written as Windows-1250 with CR LF; the job table and
// the parameter files are written with the program's own services.
//
//   kj_demo TEMPLATE_DIR TARGET_ROOT

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "services/common.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"

namespace fs = std::filesystem;

namespace {

// Copies a UTF-8 text file as Windows-1250 with CR LF line ends. The file's
// name is converted too (names on disk are UTF-8 of the Windows-1250 name,
// which for the template's names is the same text).
bool CopyText(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::string utf8((std::istreambuf_iterator<char>(in)), {});
    std::string text = kj::Utf8ToCp1250(utf8);
    std::string out;
    for (char ch : text) {
        if (ch == '\r') continue;
        if (ch == '\n') out += "\r\n";
        else out.push_back(ch);
    }
    fs::create_directories(to.parent_path());
    std::ofstream o(to, std::ios::binary | std::ios::trunc);
    o << out;
    return static_cast<bool>(o);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Použití: kj_demo ŠABLONA CÍLOVÝ_KOŘEN\n");
        return 2;
    }
    fs::path tmpl = argv[1];
    fs::path root = argv[2];
    std::error_code ec;
    fs::create_directories(root, ec);
    for (const auto& entry : fs::recursive_directory_iterator(tmpl)) {
        if (!entry.is_regular_file()) continue;
        fs::path rel = fs::relative(entry.path(), tmpl);
        if (!CopyText(entry.path(), root / rel)) {
            std::fprintf(stderr, "kj_demo: nelze zapsat %s\n", (root / rel).c_str());
            return 1;
        }
    }
    fs::create_directories(root / "data");
    fs::create_directories(root / "prog");

    kj::HostFileSystem files((root / "work").string(), root.string());
    kj::StderrDialogs ui;
    kj::Common c(files, ui);
    // The station's job table: station 01, home currency and print settings.
    kj::SetJobIn(c, "", "UZIVATEL", "01");
    kj::SetJobIn(c, "", "MENA", "CZK");
    kj::SetJobIn(c, "", "DAN1", "21");
    kj::SetJobIn(c, "", "DAN2", "12");
    kj::SetJobIn(c, "", "LIMRAD", "64");
    kj::SetJobIn(c, "", "POCITAC", "PC01");
    // The main menu's background: silver.
    kj::SetReg(c, "par\\sys.par", "Pozadi0", "12632256");
    std::printf("Ukázková data připravena v %s\n", root.c_str());
    return 0;
}
