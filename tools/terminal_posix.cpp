#include <termios.h>
#include <unistd.h>

#include "tools/terminal.h"

#include <array>

namespace tools {

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void SetStandardInputEcho(Echo echo) {
  termios settings{};
  if (::tcgetattr(STDIN_FILENO, &settings) != 0) {
    return;
  }
  if (echo == Echo::Off) {
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  } else {
    settings.c_lflag |= ECHO;
  }
  ::tcsetattr(STDIN_FILENO, TCSANOW, &settings);
}

std::optional<std::string> ReadAllStandardInput() {
  std::string bytes;
  std::array<char, 65536> block{};
  for (;;) {
    const ssize_t count = ::read(STDIN_FILENO, block.data(), block.size());
    if (count == 0) {
      return bytes;
    }
    if (count < 0) {
      return std::nullopt;
    }
    bytes.append(block.data(), static_cast<std::size_t>(count));
  }
}

}  // namespace tools
