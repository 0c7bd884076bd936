#pragma once
// SIGTERM and SIGHUP (a desktop log-out, kill) end the program the way Esc
// in the main menu does, with the "* KONEC" protocol line. A signal
// handler may do almost nothing, so it only writes a byte into a pipe; the
// main menu watches the pipe's reading end and closes itself from its
// event loop.

namespace kj {

class EndSignals {
public:
    // Installs the handlers; the previous ones come back on destruction.
    // One object at a time.
    EndSignals();
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // Readable when a signal has come; -1 when the pipe could not be made.
    int fd() const;
    // Empties the pipe; true when a signal had come.
    bool Take();
};

}  // namespace kj
