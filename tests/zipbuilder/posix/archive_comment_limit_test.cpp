// A real failure without the fault table: an archive larger than the process's
// file size limit cannot be copied with its new comment, and stays as it was.
#include <algorithm>

#include "tests/platform/posix/file_size_limit.h"
#include "tests/zipbuilder/archive_bytes.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "zipbuilder/message_table.h"

namespace zipbuilder {
namespace {

using archive_bytes::BuildArchive;

class ArchiveCommentLimit : public ListingTest {};

TEST_F(ArchiveCommentLimit, AnArchivePastTheFileSizeLimitKeepsItsOldComment) {
  std::string data(200 * 1024, '\0');
  std::generate(data.begin(), data.end(), [state = 1u]() mutable {
    state = state * 1103515245u + 12345u;
    return static_cast<char>(state >> 24);
  });
  const std::string original = BuildArchive({{.Name = "big.bin", .Data = data}}, {.ArchiveComment = "old"});
  const std::string path = WriteArchive("big.zip", original);
  component.SetZipFileName(path);
  ASSERT_TRUE(reports.empty());
  {
    const platform_test::FileSizeLimit limit(64 * 1024);
    ASSERT_TRUE(limit.Applied());
    component.SetArchiveComment("new");
  }
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::WriteError});
  EXPECT_TRUE(scratch.ReadFile("big.zip") == original);
  EXPECT_EQ(Directory().RawComment, "old");
}

}  // namespace
}  // namespace zipbuilder
