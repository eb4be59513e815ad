// TZipStream: the growable memory stream that receives extraction to memory and
// feeds compression from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zipbuilder {

enum class StreamOrigin { Beginning, Current, End };

class TZipStream {
 public:
  TZipStream() = default;

  [[nodiscard]] std::size_t Size() const;
  [[nodiscard]] std::size_t Position() const { return position_; }
  // The first byte of the stream's memory; stays valid until the next size change.
  [[nodiscard]] std::uint8_t* Memory();
  [[nodiscard]] const std::uint8_t* Memory() const;

  // Grows or shrinks the stream; new bytes are zero. The position is kept but
  // never left beyond the end. False, with the stream unchanged, when the memory
  // cannot be had.
  [[nodiscard]] bool SetSize(std::size_t size);
  // Empties the stream and lets go of an outside block.
  void Clear();
  // Moves the position; positions beyond the end or before the start are refused.
  [[nodiscard]] bool Seek(std::int64_t offset, StreamOrigin origin);

  // Reads up to `buffer.size()` bytes from the position; returns the count read.
  [[nodiscard]] std::size_t Read(std::span<std::uint8_t> buffer);
  // Writes at the position, growing the stream as needed; returns the count
  // written, which is short only when memory ran out.
  [[nodiscard]] std::size_t Write(std::span<const std::uint8_t> bytes);

  // Points the stream at a block it does not own (set-pointer). The stream reads
  // and writes that block in place until its size changes; then it copies the
  // block into memory of its own and leaves the outside block alone.
  void SetPointer(std::uint8_t* memory, std::size_t size);

 private:
  [[nodiscard]] bool UsesOutsideBlock() const { return outsideMemory_ != nullptr; }
  [[nodiscard]] bool TakeOwnershipOfOutsideBlock();

  std::vector<std::uint8_t> ownedMemory_;
  std::uint8_t* outsideMemory_ = nullptr;
  std::size_t outsideSize_ = 0;
  std::size_t position_ = 0;
};

}  // namespace zipbuilder
