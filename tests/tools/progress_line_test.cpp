// The progress line drawn from OnProgress events.
#include "tools/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tools {
namespace {

using zipbuilder::ProgressType;

struct Events {
  std::ostringstream err;
  ProgressLine line{err};
  FileTally tally;

  void Raise(ProgressType type, const std::string& name, std::int32_t value) {
    CountFiles(tally, type, value);
    line.Follow(tally, type, name, value);
  }
  // The line as it stands after the last carriage return, without its padding.
  [[nodiscard]] std::string Shown() const {
    std::string text = err.str().substr(err.str().rfind('\r') + 1);
    return text.substr(0, text.find_last_not_of(' ') + 1);
  }
};

TEST(ProgressLine, CountsFilesAndBytesAndRedrawsInPlace) {
  Events events;
  events.Raise(ProgressType::pgFileCount, "", 2);
  events.Raise(ProgressType::pgTotalSize, "", 400);
  events.Raise(ProgressType::pgNewFile, "a.txt", 100);
  EXPECT_EQ(events.Shown(), "0% 1/2 a.txt");
  events.Raise(ProgressType::pgBytesDone, "", 100);
  events.Raise(ProgressType::pgNewFile, "b.txt", 300);
  events.Raise(ProgressType::pgBytesDone, "", 200);
  EXPECT_EQ(events.Shown(), "75% 2/2 b.txt");
  EXPECT_EQ(events.err.str().find('\n'), std::string::npos);
}

// Rename counts the headers it writes as done bytes, but only names, extra
// fields and data in its total.
TEST(ProgressLine, DoneBytesBeyondTheTotalShowAHundredPercent) {
  Events events;
  events.Raise(ProgressType::pgFileCount, "", 1);
  events.Raise(ProgressType::pgTotalSize, "", 100);
  events.Raise(ProgressType::pgNewFile, "a.txt", 100);
  events.Raise(ProgressType::pgBytesDone, "", 130);
  EXPECT_EQ(events.Shown(), "100% 1/1 a.txt");
}

}  // namespace
}  // namespace tools
