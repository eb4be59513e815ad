// Which code page an entry name is read in, and that the file gets that name.
#include "engines/unzip/entry_names.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/unzip/test_archive_writer.h"

namespace engines::unzip::testing {
namespace {

namespace zf = zipformat;

struct NameCase {
  const char* what;
  std::uint8_t host;
  std::uint8_t version;
  std::uint16_t flags;
  CodePageOption codePage;
  bool convertedFromOem;
};

TEST(EntryNames, TheCodePageFollowsFlagHostAndOption) {
  const std::string oemName = "\x81" "ber.txt";  // "über" in CP437
  const NameCase cases[] = {
      {"MS-DOS host", zf::host_system::MsDos, 20, 0, CodePageOption::Automatic, true},
      {"OS/2 host", zf::host_system::Os2Hpfs, 20, 0, CodePageOption::Automatic, true},
      {"NTFS host, version 5.0", zf::host_system::WindowsNtfs, 50, 0, CodePageOption::Automatic, true},
      {"NTFS host, other version", zf::host_system::WindowsNtfs, 20, 0, CodePageOption::Automatic, false},
      {"Unix host", zf::host_system::Unix, 30, 0, CodePageOption::Automatic, false},
      {"Unix host, OEM asked for", zf::host_system::Unix, 30, 0, CodePageOption::Oem, true},
      {"MS-DOS host, no conversion asked for", zf::host_system::MsDos, 20, 0, CodePageOption::None, false},
  };
  for (const NameCase& entry : cases) {
    zf::CentralHeader header;
    header.hostSystem = entry.host;
    header.versionMadeBy = entry.version;
    header.flags = entry.flags;
    const std::string expected = entry.convertedFromOem ? platform::OemToChar(oemName) : oemName;
    EXPECT_EQ(DecodeEntryText(oemName, header, entry.codePage), expected) << entry.what;
  }
  zf::CentralHeader utf8Header;
  utf8Header.flags = zf::general_flag::Utf8Names;
  EXPECT_EQ(DecodeEntryText("caf\xC3\xA9", utf8Header, CodePageOption::Oem), platform::Utf8ToAnsi("caf\xC3\xA9"));
}

TEST(EntryNames, AnOemNameBecomesTheSameFileNameAsItsUtf8Twin) {
  ScratchFolder scratch;
  WriteBytes(scratch / "test.zip",
             BuildArchive({{.name = "\x81" "ber.txt", .content = "oem", .hostSystem = zf::host_system::MsDos},
                           {.name = "na\xC3\xAFve.txt", .content = "utf8", .extraFlags = zf::general_flag::Utf8Names}})
                 .bytes);
  UnzipRequest request;
  request.archive = (scratch / "test.zip").string();
  request.baseFolder = (scratch / "out").string();
  std::filesystem::create_directories(scratch / "out");
  RecordingCallback callback;
  EXPECT_EQ(RunEngine(LinkedEngine(), request, callback), 2);
  EXPECT_EQ(ListFiles(scratch / "out"), (std::vector<std::string>{"na\xC3\xAFve.txt", "\xC3\xBC" "ber.txt"}));
}

}  // namespace
}  // namespace engines::unzip::testing
