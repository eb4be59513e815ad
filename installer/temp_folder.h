// TTempFolder: the user's temporary folder and unique file names in it. It only
// computes names: it creates no folder or file and deletes nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace installer {

// The names' generator: state := state x 0x015A4E35 + 1 (mod 2^32), result :=
// bits 16 to 30 of the new state (0 to 32767). Each thread has a state of its
// own, so names come out the same on every platform and in every run library.
void SeedUniqueNumbers(std::uint32_t seed);
[[nodiscard]] std::uint32_t NextUniqueNumber();

class TTempFolder {
 public:
  static constexpr std::size_t ExpandBufferSize = 256;

  // Settles Path and Found at once from TEMP, else TMP, else the text %tmp%.
  TTempFolder();

  // Fills `buffer` with Path, `prefix` and a number in upper-case hexadecimal (one
  // to four digits) drawn from the generator seeded with the time in whole seconds,
  // so that the same second gives the same name. Leaves the buffer empty when
  // Path, the prefix and 8 characters would not stay below `sizeLimit`. Answers
  // the length of the buffer's text.
  std::int32_t UniqueFileName(char* buffer, const char* prefix, std::uint32_t sizeLimit) const;
  // The same; `numberUsed` receives the number, so that a caller whose name is
  // taken can go on with the next ones.
  std::int32_t UniqueFileName(char* buffer, const char* prefix, std::uint32_t sizeLimit,
                              std::uint32_t& numberUsed) const;
  // The name with a given number, under the same size rule.
  std::int32_t NumberedFileName(char* buffer, const char* prefix, std::uint32_t sizeLimit,
                                std::uint32_t number) const;
  // UniqueFileName as it would run in the second `secondsSince1970`.
  std::int32_t UniqueFileNameAt(std::int64_t secondsSince1970, char* buffer, const char* prefix,
                                std::uint32_t sizeLimit, std::uint32_t& numberUsed) const;

  // The temporary folder, ending in a backslash.
  std::string Path;
  // The last environment expansion; zero-filled at construction.
  std::array<char, ExpandBufferSize> ExpandBuffer{};
  // False when neither TEMP nor TMP gives a folder; Path is then "%tmp%\".
  bool Found = true;

 private:
  void ExpandIntoBuffer(const char* reference);
};

}  // namespace installer
