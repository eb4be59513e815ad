#include <windows.h>

#include "tools/terminal.h"

#include <array>

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

// ReadFile on the handle takes the bytes as they come: no text-mode translation.
std::optional<std::string> ReadAllStandardInput() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  std::string bytes;
  std::array<char, 65536> block{};
  for (;;) {
    DWORD count = 0;
    if (ReadFile(input, block.data(), static_cast<DWORD>(block.size()), &count, nullptr) == 0) {
      // A pipe whose writer has gone ends this way.
      if (GetLastError() == ERROR_BROKEN_PIPE) {
        return bytes;
      }
      return std::nullopt;
    }
    if (count == 0) {
      return bytes;
    }
    bytes.append(block.data(), count);
  }
}

}  // namespace tools
