#include <windows.h>

#include "tools/terminal.h"

namespace tools {

// A console answers GetConsoleMode; pipes, files and the NUL device do not.
bool StandardInputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void SetStandardInputEcho(Echo echo) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(input, &mode) == 0) {
    return;
  }
  if (echo == Echo::Off) {
    mode &= ~static_cast<DWORD>(ENABLE_ECHO_INPUT);
  } else {
    mode |= ENABLE_ECHO_INPUT;
  }
  SetConsoleMode(input, mode);
}

}  // namespace tools
