// Where names lead once links are followed.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/links.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

TEST(FinalPathName, SpellingsOfOneNameResolveAlike) {
  const platform_test::ScratchFolder scratch;
  scratch.WriteFile("Folder/File.txt", "x");
  const std::optional<std::string> exact = GetFinalPathName(scratch.PathOf("Folder/File.txt"));
  ASSERT_TRUE(exact.has_value());
  EXPECT_EQ(GetFinalPathName(scratch.PathOf("folder/../Folder/./FILE.TXT")), exact);
  EXPECT_EQ(GetFinalPathName(scratch.Path() + "\\FOLDER\\file.txt"), exact);
  EXPECT_NE(GetFinalPathName(scratch.PathOf("Folder")), exact);
}

TEST(FinalPathName, MissingNameHasNone) {
  const platform_test::ScratchFolder scratch;
  EXPECT_EQ(GetFinalPathName(scratch.PathOf("missing/name.txt")), std::nullopt);
  EXPECT_NE(GetLastError(), win32_error::Success);
}

}  // namespace
