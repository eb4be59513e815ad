// The few console operations the tool needs, implemented once per system
// (terminal_posix.cpp, terminal_win32.cpp; the build picks one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tools {

enum class Echo : std::uint8_t { On, Off };

// True when standard input is an interactive terminal (a console on Windows).
[[nodiscard]] bool StandardInputIsTerminal();

// True when standard error is an interactive terminal (a console on Windows):
// only then is a progress line drawn there.
[[nodiscard]] bool StandardErrorIsTerminal();

// Turns the echo of typed characters on standard input on or off; does nothing
// when standard input is not a terminal.
void SetStandardInputEcho(Echo echo);

// All of standard input as bytes, untranslated; nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> ReadAllStandardInput();

}  // namespace tools
