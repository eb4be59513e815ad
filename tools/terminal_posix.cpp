#include <termios.h>
#include <unistd.h>

#include "tools/terminal.h"

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

}  // namespace tools
