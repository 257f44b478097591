// brevik2_line_flow DEVICE off|on: suspends or resumes the output of a terminal, as Ctrl-S and
// Ctrl-Q would. A program that writes to the suspended line blocks in that write; the service
// check uses it to hang the monitor thread and make the watchdog fire.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

int main(int argc, char** argv) {
    const std::string_view action = argc == 3 ? argv[2] : "";
    if (action != "off" && action != "on") {
        std::fprintf(stderr, "usage: brevik2_line_flow DEVICE off|on\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::tcflow(fd, action == "off" ? TCOOFF : TCOON) != 0) {
        std::fprintf(stderr, "brevik2_line_flow: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    ::close(fd);
    return 0;
}
