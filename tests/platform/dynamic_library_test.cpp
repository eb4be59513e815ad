// Loading a library the way the component loads its engines: a bare name written
// in another letter case than the file, found next to the program.
#include <gtest/gtest.h>

#include "platform/dynamic_library.h"
#include "platform/errors.h"

namespace {

using namespace platform;

using AnswerFunction = int (*)();

TEST(DynamicLibrary, BareNameIsFoundNextToTheProgramWithoutRegardToCase) {
  const LibraryHandle library = LoadLibrary("PLATTEST.DLL");
  ASSERT_NE(library, nullptr);
  auto* answer = reinterpret_cast<AnswerFunction>(GetProcAddress(library, "PlatformTestLibraryAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_TRUE(FreeLibrary(library));
}

TEST(DynamicLibrary, NameWithoutExtensionGetsDll) {
  const LibraryHandle library = LoadLibrary("plattest");
  ASSERT_NE(library, nullptr);
  EXPECT_TRUE(FreeLibrary(library));
}

TEST(DynamicLibrary, MissingEntryIsProcedureNotFound) {
  const LibraryHandle library = LoadLibrary("plattest.dll");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(GetProcAddress(library, "NoSuchEntry"), nullptr);
  EXPECT_EQ(GetLastError(), win32_error::ProcedureNotFound);
  EXPECT_TRUE(FreeLibrary(library));
}

TEST(DynamicLibrary, MissingLibraryIsModuleNotFound) {
  EXPECT_EQ(LoadLibrary("NoSuchLibraryAnywhere.dll"), nullptr);
  EXPECT_EQ(GetLastError(), win32_error::ModuleNotFound);
}

TEST(DynamicLibrary, FreeingNoLibraryFails) {
  EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(ErrorMode, SettingReturnsThePreviousMode) {
  const std::uint32_t original = SetErrorMode(error_mode::FailCriticalErrors);
  EXPECT_EQ(SetErrorMode(original), error_mode::FailCriticalErrors);
}

}  // namespace
