// DOS date-time packing and the local clock.
#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "platform/files.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

SystemTime Time(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour, std::uint16_t minute,
                std::uint16_t second) {
  SystemTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return time;
}

std::int64_t SecondsOfDay(const SystemTime& time) {
  return time.hour * 3600 + time.minute * 60 + time.second;
}

TEST(DosDateTime, PacksDateHighAndTimeLow) {
  const std::uint32_t packed = SystemTimeToDosDateTime(Time(2003, 3, 30, 11, 47, 12));
  EXPECT_EQ(packed >> 16, (23u << 9) | (3u << 5) | 30u);
  EXPECT_EQ(packed & 0xFFFFu, (11u << 11) | (47u << 5) | 6u);
}

TEST(DosDateTime, UnpacksWithWeekday) {
  const SystemTime time = DosDateTimeToSystemTime(((23u << 9 | 3u << 5 | 30u) << 16) | (11u << 11 | 47u << 5 | 6u));
  EXPECT_EQ(time.year, 2003);
  EXPECT_EQ(time.month, 3);
  EXPECT_EQ(time.day, 30);
  EXPECT_EQ(time.hour, 11);
  EXPECT_EQ(time.minute, 47);
  EXPECT_EQ(time.second, 12);
  EXPECT_EQ(time.dayOfWeek, 0) << "2003-03-30 was a Sunday";
  EXPECT_EQ(DosDateTimeToSystemTime(SystemTimeToDosDateTime(Time(2000, 2, 29, 0, 0, 0))).dayOfWeek, 2);
}

TEST(DosDateTime, OddSecondsAreCutToTheEvenSecondBelow) {
  const SystemTime time = DosDateTimeToSystemTime(SystemTimeToDosDateTime(Time(2020, 12, 31, 23, 59, 59)));
  EXPECT_EQ(time.second, 58);
  EXPECT_EQ(time.minute, 59);
}

TEST(DosDateTime, YearsOutsideTheRangeAreClamped) {
  const SystemTime early = DosDateTimeToSystemTime(SystemTimeToDosDateTime(Time(1975, 6, 15, 12, 30, 10)));
  EXPECT_EQ(early.year, 1980);
  EXPECT_EQ(early.month, 1);
  EXPECT_EQ(early.day, 1);
  EXPECT_EQ(SecondsOfDay(early), 0);

  const SystemTime late = DosDateTimeToSystemTime(SystemTimeToDosDateTime(Time(2150, 6, 15, 12, 30, 10)));
  EXPECT_EQ(late.year, 2107);
  EXPECT_EQ(late.month, 12);
  EXPECT_EQ(late.day, 31);
  EXPECT_EQ(late.hour, 23);
  EXPECT_EQ(late.minute, 59);
  EXPECT_EQ(late.second, 58);
}

TEST(DosDateTime, InvalidFieldsAreKeptAsDecoded) {
  const SystemTime time = DosDateTimeToSystemTime((0u << 9 | 0u << 5 | 0u) << 16);
  EXPECT_EQ(time.year, 1980);
  EXPECT_EQ(time.month, 0);
  EXPECT_EQ(time.day, 0);
  EXPECT_LT(time.dayOfWeek, 7);
}

// The file clock and the local clock agree: a file written now carries the local
// time of now, in the same time zone.
TEST(LocalTime, MatchesTheDateOfAFileWrittenNow) {
  const platform_test::ScratchFolder scratch;
  const SystemTime before = GetLocalTime();
  const FileHandle file = CreateFile(scratch.PathOf("now.txt"), FileAccess::Write, FileShare::None,
                                     FileCreation::CreateAlways);
  ASSERT_NE(file, InvalidFileHandle);
  std::uint32_t written = 0;
  ASSERT_TRUE(WriteFile(file, "x", 1, written));
  std::uint32_t stamp = 0;
  ASSERT_TRUE(GetFileDosDateTime(file, stamp));
  EXPECT_TRUE(CloseHandle(file));
  const SystemTime after = GetLocalTime();

  const SystemTime fileTime = DosDateTimeToSystemTime(stamp);
  if (before.day != after.day) {
    GTEST_SKIP() << "the test ran across midnight";
  }
  EXPECT_EQ(fileTime.year, before.year);
  EXPECT_EQ(fileTime.month, before.month);
  EXPECT_EQ(fileTime.day, before.day);
  EXPECT_GE(SecondsOfDay(fileTime), SecondsOfDay(before) - 2);
  EXPECT_LE(SecondsOfDay(fileTime), SecondsOfDay(after));
  EXPECT_LT(before.dayOfWeek, 7);
  EXPECT_LT(before.milliseconds, 1000);
}

TEST(UnixTime, IsTheClockInSecondsSince1970) {
  const std::int64_t now = GetUnixTime();
  EXPECT_GT(now, 1'600'000'000);  // after September 2020
  EXPECT_LE(now, GetUnixTime());
}

}  // namespace
