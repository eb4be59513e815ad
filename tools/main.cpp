// zipbuilder: the archive component on the command line.
#include <iostream>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/terminal.h"
#include "tools/terminal_toolkit.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const tools::TerminalInput input =
      tools::StandardInputIsTerminal() ? tools::TerminalInput::Interactive : tools::TerminalInput::NotInteractive;
  tools::TerminalToolkit toolkit({std::cin, std::cerr, input, tools::SetStandardInputEcho});
  return static_cast<int>(tools::RunCommandLine(arguments, std::cout, std::cerr, toolkit));
}
