#include "installer/temp_folder.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/temp_and_environment.h"

namespace installer {

namespace {

thread_local std::uint32_t uniqueNumberState = 0;

constexpr const char* TempReference = "%temp%";
constexpr const char* TmpReference = "%tmp%";
// The room a name needs beyond the folder and the prefix: four digits, ".zip"
// the caller appends, and the terminator, with a little to spare.
constexpr std::size_t NameRoom = 8;
// The generator's numbers are below 32768; the modulus is kept from the name's
// first definition, where it never changes a number.
constexpr std::uint32_t NumberModulus = 99999;

}  // namespace

void SeedUniqueNumbers(std::uint32_t seed) { uniqueNumberState = seed; }

std::uint32_t NextUniqueNumber() {
  uniqueNumberState = uniqueNumberState * 0x015A4E35u + 1u;
  return (uniqueNumberState >> 16) & 0x7FFFu;
}

TTempFolder::TTempFolder() {
  ExpandIntoBuffer(TempReference);
  Path = ExpandBuffer.data();
  // A variable that is not defined stays as written; one defined as an empty text
  // gives no folder either, so both go on to the next variable.
  if (Path == TempReference || Path.empty()) {
    ExpandIntoBuffer(TmpReference);
    Path = ExpandBuffer.data();
  }
  if (Path == TmpReference || Path.empty()) {
    Found = false;
    Path = TmpReference;
  }
  if (Path.back() != '\\') {
    Path.push_back('\\');
  }
}

// As ExpandEnvironmentStrings into the 256-character buffer: an expansion that
// does not fit leaves the buffer empty rather than cut, since a cut folder would
// name some other folder.
void TTempFolder::ExpandIntoBuffer(const char* reference) {
  const std::string expanded = platform::ExpandEnvironmentStrings(reference);
  ExpandBuffer.fill('\0');
  if (expanded.size() >= ExpandBuffer.size()) {
    return;
  }
  std::memcpy(ExpandBuffer.data(), expanded.data(), expanded.size());
}

std::int32_t TTempFolder::UniqueFileName(char* buffer, const char* prefix, std::uint32_t sizeLimit) const {
  std::uint32_t numberUsed = 0;
  return UniqueFileName(buffer, prefix, sizeLimit, numberUsed);
}

std::int32_t TTempFolder::UniqueFileName(char* buffer, const char* prefix, std::uint32_t sizeLimit,
                                         std::uint32_t& numberUsed) const {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return UniqueFileNameAt(std::chrono::duration_cast<std::chrono::seconds>(now).count(), buffer, prefix, sizeLimit,
                          numberUsed);
}

std::int32_t TTempFolder::UniqueFileNameAt(std::int64_t secondsSince1970, char* buffer, const char* prefix,
                                           std::uint32_t sizeLimit, std::uint32_t& numberUsed) const {
  SeedUniqueNumbers(static_cast<std::uint32_t>(secondsSince1970));
  numberUsed = NextUniqueNumber() % NumberModulus;
  return NumberedFileName(buffer, prefix, sizeLimit, numberUsed);
}

std::int32_t TTempFolder::NumberedFileName(char* buffer, const char* prefix, std::uint32_t sizeLimit,
                                           std::uint32_t number) const {
  buffer[0] = '\0';
  if (Path.size() + std::strlen(prefix) + NameRoom >= sizeLimit) {
    return 0;
  }
  std::snprintf(buffer, sizeLimit, "%s%s%X", Path.c_str(), prefix, number);
  return static_cast<std::int32_t>(std::strlen(buffer));
}

}  // namespace installer
