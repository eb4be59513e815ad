// The fixture of the subcommand tests that run the command line in-process.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/command_line.h"
#include "zipbuilder/headless_toolkit.h"

namespace tools {

class CommandLineFixture : public testing::Test {
 protected:
  // `err` holds what the last run wrote, `lastOut` its standard output; `out`
  // keeps what every run wrote, so that a test can check that a series of runs
  // printed nothing.
  ExitCode Run(std::vector<std::string> arguments) {
    err.str("");
    std::ostringstream runOut;
    const ExitCode code = RunCommandLine(arguments, runOut, err, toolkit);
    lastOut = runOut.str();
    out << lastOut;
    return code;
  }
  [[nodiscard]] bool ErrorStartsWith(std::string_view expected) const { return err.str().starts_with(expected); }

  std::ostringstream out;
  std::string lastOut;
  std::ostringstream err;
  zipbuilder::HeadlessToolkit toolkit;
};

}  // namespace tools
