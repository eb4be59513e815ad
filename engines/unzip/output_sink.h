// Where decoded bytes go: a file (file_output.h), a caller's memory block, or
// nowhere (testing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace engines::unzip {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  [[nodiscard]] virtual bool Write(std::span<const std::byte> bytes) = 0;
  // A block of exactly `size` bytes the decoder may decode the whole entry into
  // instead of writing it, saving a copy; empty when the sink has none. A decoder
  // uses either this block or Write, never both.
  [[nodiscard]] virtual std::span<std::byte> DirectBuffer(std::uint32_t /*size*/) { return {}; }
};

// Testing an entry: the bytes are decoded and checked, then dropped.
class DiscardingSink final : public OutputSink {
 public:
  [[nodiscard]] bool Write(std::span<const std::byte> /*bytes*/) override { return true; }
};

// A caller's memory block, filled from its start; never written past its end.
class MemorySink final : public OutputSink {
 public:
  explicit MemorySink(std::span<std::byte> block) : block_(block) {}

  [[nodiscard]] bool Write(std::span<const std::byte> bytes) override;
  [[nodiscard]] std::span<std::byte> DirectBuffer(std::uint32_t size) override;

 private:
  std::span<std::byte> block_;
  std::size_t filled_ = 0;
};

}  // namespace engines::unzip
