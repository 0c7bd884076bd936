// The cash drawer hangs on a parallel printer port: whatever is written to
// the port opens it.
//
// Ports "LPT1".."LPT4" are host devices outside the system's file tree, so
// the port is opened here directly rather than through FileSystem. The
// device of each port is configurable in "par\sys.par":
//   LPT1 : /dev/usb/lp0
// and defaults to /dev/lp0 .. /dev/lp3.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "services/cp1250.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/protocol.h"

namespace kj {
namespace {

constexpr char kDrawerBytesFile[] = "suple.txt";
constexpr char kBell = 7;

// The bytes that open the drawer: "suple.txt" of the current directory when
// it holds any, else the single byte 7.
std::string DrawerBytes(Common& c) {
    std::unique_ptr<File> f;
    std::string bytes;
    if (c.fs.Open(kDrawerBytesFile, Access::Read, Disposition::OpenExisting, Share::Shared, &f) ==
        io::kOk) {
        std::int64_t size = 0;
        if (f->Size(&size) == io::kOk && size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            std::size_t got = 0;
            if (f->Read(bytes.data(), bytes.size(), &got) != io::kOk) got = 0;
            bytes.resize(got);
        }
        (void)f->Close();
    }
    if (bytes.empty()) bytes.assign(1, kBell);
    return bytes;
}

}  // namespace

std::string PrinterPortDevice(Common& c, int port) {
    std::string device = GetReg(c, "par\\sys.par", "LPT" + std::to_string(port));
    if (device.empty()) return "/dev/lp" + std::to_string(port - 1);
    return Cp1250ToUtf8(device);
}

int OpenDrawer(Common& c) {
    const int port = c.set.printerPort;
    if (port < 1 || port > 4) return io::kOk;
    const std::string bytes = DrawerBytes(c);
    const std::string device = PrinterPortDevice(c, port);
    const std::string portName = "LPT" + std::to_string(port);
    int fd = ::open(device.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        int rc = io::DosCodeFromErrno(errno);
        c.ui.BeepMessage("Chyba " + std::to_string(rc) + " při otevírání "_cz + portName);
        return rc;
    }
    int rc = io::kOk;
    // One byte at a time, as the drawer's controller expects them.
    for (char b : bytes) {
        ssize_t w;
        do w = ::write(fd, &b, 1);
        while (w < 0 && errno == EINTR);
        if (w != 1) {
            rc = w < 0 ? io::DosCodeFromErrno(errno) : io::kDiskWriteError;
            break;
        }
    }
    if (::close(fd) != 0 && rc == io::kOk) rc = io::DosCodeFromErrno(errno);
    if (rc != io::kOk)
        c.ui.BeepMessage("Chyba " + std::to_string(rc) + " při zápisu na "_cz + portName);
    return rc;
}

}  // namespace kj
