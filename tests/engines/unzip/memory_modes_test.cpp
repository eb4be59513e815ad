// One entry into the caller's memory, and a compressed memory block into memory,
// through both ways of reaching the engine.
#include <gtest/gtest.h>

#include "engines/shared/crc32.h"
#include "engines/shared/deflate_codec.h"
#include "engines/shared/memory_stream_header.h"
#include "engines/engine_protocol.h"
#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/unzip/test_archive_writer.h"

namespace engines::unzip::testing {
namespace {

namespace fs = std::filesystem;

std::span<const std::byte> BytesOf(const std::string& text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

std::string TextOf(const std::vector<std::byte>& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// What the zip engine produces for a memory block: the 6-byte header, then the data.
std::vector<std::byte> MemoryStream(const std::string& content, std::uint16_t method) {
  std::vector<std::byte> stream(shared::MemoryStreamHeaderSize);
  shared::WriteMemoryStreamHeader(stream, {method, shared::UpdateCrc32(0, BytesOf(content))});
  if (method == 0) {
    stream.insert(stream.end(), BytesOf(content).begin(), BytesOf(content).end());
    return stream;
  }
  shared::StreamingDeflater deflater(6);
  std::vector<std::byte> chunk(content.size() + 1024);
  const shared::DeflateStep step = deflater.Deflate(BytesOf(content), chunk, shared::DeflateFlush::FinishStream);
  EXPECT_TRUE(step.finished);
  stream.insert(stream.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(step.produced));
  return stream;
}

class MemoryModes : public ::testing::TestWithParam<EngineAccess> {
 protected:
  void SetUp() override {
    exec_ = EngineFor(GetParam());
    ASSERT_NE(exec_, nullptr) << "the unzip library cannot be loaded";
    WriteBytes(scratch_ / "test.zip", BuildArchive({
                                          {.name = "first.txt", .content = "first entry"},
                                          {.name = "Docs/Second.TXT", .content = second_},
                                          {.name = "third.txt", .content = "third", .declaredCrc = 1},
                                      })
                                          .bytes);
    request_.archive = (scratch_ / "test.zip").string();
    request_.baseFolder = scratch_.Path().string();
    request_.outputToMemory = true;
  }

  std::int32_t Run() { return RunEngine(exec_, request_, callback_); }

  ExecFunction exec_ = nullptr;
  ScratchFolder scratch_;
  UnzipRequest request_;
  RecordingCallback callback_;
  std::string second_ = std::string(100000, 's') + "end";
  std::vector<std::byte> memory_;
};

TEST_P(MemoryModes, OneEntryGoesIntoTheMemoryTheCallbackHandsOut) {
  request_.specifications = {"docs\\second.txt"};
  callback_.outputMemory = &memory_;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(TextOf(memory_), second_);
  const std::vector<CallbackEvent> requests = callback_.Of(EngineAction::OutputMemoryRequest);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].value2, static_cast<std::intptr_t>(second_.size()));
  EXPECT_EQ(ListFiles(scratch_.Path()), std::vector<std::string>{"test.zip"}) << "nothing written to disk";
}

TEST_P(MemoryModes, WithoutAnAnswerTheRecordsBufferIsUsed) {
  request_.specifications = {"first.txt"};
  memory_.resize(11);
  request_.outputBuffer = &memory_;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(TextOf(memory_), "first entry");
}

TEST_P(MemoryModes, OnlyTheFirstSelectedEntryIsDecoded) {
  callback_.outputMemory = &memory_;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(TextOf(memory_), "first entry");
  EXPECT_EQ(callback_.Of(EngineAction::NewFile).size(), 1u);
}

TEST_P(MemoryModes, ABadEntryOrNoMemoryGivesNothing) {
  request_.specifications = {"third.txt"};
  callback_.outputMemory = &memory_;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(callback_.Of(EngineAction::CrcError).size(), 1u);

  callback_ = RecordingCallback{};
  request_.specifications = {"first.txt"};
  EXPECT_EQ(Run(), 0) << "no answer to the request and no buffer in the record";
  ASSERT_EQ(callback_.Of(EngineAction::FileSkipped).size(), 1u);
  EXPECT_EQ(callback_.Of(EngineAction::FileSkipped)[0].value2, static_cast<std::intptr_t>(UnzipSkipReason::NoOutputMemory));
}

struct MemoryInputCase {
  const char* what;
  std::vector<std::byte> input;
  std::size_t outputSize;
  std::int32_t expected;
  EngineAction reported;
};

TEST_P(MemoryModes, ACompressedMemoryBlockDecodesIntoMemory) {
  const std::string content = "memory to memory, " + std::string(5000, 'm');
  std::vector<std::byte> wrongCrc = MemoryStream(content, 8);
  wrongCrc[2] ^= std::byte{1};
  const MemoryInputCase cases[] = {
      {"deflated", MemoryStream(content, 8), content.size(), 1, EngineAction::None},
      {"stored", MemoryStream(content, 0), content.size(), 1, EngineAction::None},
      {"wrong CRC", wrongCrc, content.size(), 0, EngineAction::CrcError},
      {"output too small", MemoryStream(content, 8), content.size() - 1, 0, EngineAction::Message},
      {"output too large", MemoryStream(content, 8), content.size() + 1, 0, EngineAction::Message},
      {"unknown method", MemoryStream(content, 12), content.size(), 0, EngineAction::Message},
      {"shorter than the header", std::vector<std::byte>(5), 10, 0, EngineAction::Message},
  };
  for (const MemoryInputCase& entry : cases) {
    callback_ = RecordingCallback{};
    std::vector<std::byte> output(entry.outputSize);
    UnzipRequest request;
    request.outputToMemory = true;
    request.outputBuffer = &output;
    request.inputBuffer = &entry.input;
    EXPECT_EQ(RunEngine(exec_, request, callback_), entry.expected) << entry.what;
    if (entry.expected == 1) {
      EXPECT_EQ(TextOf(output), content) << entry.what;
    } else {
      EXPECT_EQ(callback_.Of(entry.reported).size(), 1u) << entry.what;
    }
    EXPECT_EQ(callback_.events.front().action, EngineAction::FileCount) << entry.what;
    EXPECT_EQ(callback_.events.back().action, EngineAction::BatchEnd) << entry.what;
  }
}

INSTANTIATE_TEST_SUITE_P(BothWays, MemoryModes, ::testing::Values(EngineAccess::Linked, EngineAccess::Library),
                         [](const ::testing::TestParamInfo<EngineAccess>& access) { return NameOf(access.param); });

}  // namespace
}  // namespace engines::unzip::testing
