// The traditional PKWARE stream cipher ("zip 2.0 encryption"): three 32-bit keys
// seeded from the password, updated with every plain byte. Each encrypted entry
// starts with a 12-byte header of random bytes whose last byte, once decrypted,
// must equal a check byte: the high byte of the entry's CRC-32, or, when the CRC
// is only known after the data (general flag bit 3), the high byte of the DOS time.
// With one check byte, a wrong password passes the check once in 256 tries; the
// CRC of the decoded data catches it then.
//
// The cipher moves caller-owned buffers in place; it keeps no other state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace engines::shared {

inline constexpr std::size_t EncryptionHeaderSize = 12;

class TraditionalCipher {
 public:
  explicit TraditionalCipher(std::string_view password);

  void Decrypt(std::span<std::byte> bytes);
  void Encrypt(std::span<std::byte> bytes);

 private:
  void UpdateKeys(std::uint8_t plainByte);
  [[nodiscard]] std::uint8_t KeyStreamByte() const;

  std::array<std::uint32_t, 3> keys_{};
};

// The byte that the last decrypted header byte must equal, from the entry's
// general flags, CRC-32 and DOS date-time (time in the low 16 bits).
[[nodiscard]] std::uint8_t EncryptionCheckByte(std::uint16_t flags, std::uint32_t crc32, std::uint32_t dosDateTime);

// Tries `password` on an entry's encryption header: a cipher ready for the data
// that follows the header when the check byte matches, nothing otherwise.
[[nodiscard]] std::optional<TraditionalCipher> OpenEncryptedEntry(
    std::string_view password, std::span<const std::byte, EncryptionHeaderSize> header, std::uint8_t checkByte);

}  // namespace engines::shared
