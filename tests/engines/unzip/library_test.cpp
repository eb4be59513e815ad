// The built library as the component finds it: by its upper-case name, with
// three undecorated entry points.
#include <gtest/gtest.h>

#include "engines/engine_records.h"
#include "platform/dynamic_library.h"

namespace engines::unzip::testing {
namespace {

TEST(UnzipLibrary, LoadsByTheComponentsNameAndReportsItsVersions) {
  const platform::LibraryHandle library = platform::LoadLibrary(UnzipEngineFileName);
  ASSERT_NE(library, nullptr) << UnzipEngineFileName << " is not found next to the test program";
  const auto version = reinterpret_cast<EngineVersionFunction>(platform::GetProcAddress(library, UnzipVersionEntryName));
  const auto privateVersion =
      reinterpret_cast<EngineVersionFunction>(platform::GetProcAddress(library, UnzipPrivVersionEntryName));
  const auto exec = reinterpret_cast<EngineExecFunction>(platform::GetProcAddress(library, UnzipExecEntryName));
  ASSERT_NE(version, nullptr);
  ASSERT_NE(privateVersion, nullptr);
  ASSERT_NE(exec, nullptr);
  // 160: the component sends the 148-byte record with memory fields and PasswordReqCount.
  EXPECT_EQ(version(), StreamCapableVersion);
  EXPECT_EQ(privateVersion(), 1600);
  EXPECT_EQ(exec(nullptr), 0);
  EXPECT_TRUE(platform::FreeLibrary(library));
}

}  // namespace
}  // namespace engines::unzip::testing
