// The least a program can do to show a text on the module: open the device,
// set the line, write the frames `veldctl text TEXT` writes for a text without
// a point, wait for them to leave and restore the line. No locks, no checks
// beyond the calls' own results. Usage: veld_bench_write_floor DEVICE TEXT
#include "protocol/CommandTable.h"
#include "protocol/Frame.h"
#include "protocol/TextCommand.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace veld::protocol;
    if (argc != 3) {
        std::fputs("usage: veld_bench_write_floor DEVICE TEXT\n", stderr);
        return 1;
    }
    const std::string text = argv[2];
    const std::u16string chars(text.begin(), text.end());
    const Bytes frames[] = {buildTextFrame(kFrameHeader, chars),
                            buildFrame(kFrameHeader, codeOf(Command::DecimalPoint), {0})};

    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios found{};
    if (fd < 0 || ::tcgetattr(fd, &found) != 0) {
        std::perror(argv[1]);
        return 2;
    }
    termios line = found;
    ::cfmakeraw(&line);
    ::cfsetspeed(&line, B9600);
    bool ok = ::tcsetattr(fd, TCSANOW, &line) == 0;
    for (const Bytes& frame : frames)
        ok = ok && ::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    ok = ok && ::tcdrain(fd) == 0 && ::tcsetattr(fd, TCSANOW, &found) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        std::perror(argv[1]);
    return ok ? 0 : 2;
}
