#include "platform/Console.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace kvr::platform {

namespace {

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
}

}  // namespace

std::optional<std::string> ReadSecretFromTerminal(std::string_view prompt) {
    int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    termios saved{};
    bool echoOff = false;
    if (::tcgetattr(fd, &saved) == 0) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        echoOff = ::tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
    }
    WriteAll(fd, prompt);
    std::string line;
    bool ended = false;
    char c = 0;
    for (;;) {
        ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        if (c == '\n') {
            ended = true;
            break;
        }
        line += c;
    }
    if (echoOff) {
        ::tcsetattr(fd, TCSAFLUSH, &saved);
    }
    ::close(fd);
    if (!ended) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace kvr::platform
