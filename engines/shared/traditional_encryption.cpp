#include "engines/shared/traditional_encryption.h"

#include <algorithm>

#include "zipformat/records.h"

namespace engines::shared {

namespace {

constexpr std::uint32_t ReflectedPolynomial = 0xEDB88320;

// The key schedule needs a one-byte step of the raw (uninverted) CRC register.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t index = 0; index < 256; ++index) {
    std::uint32_t value = index;
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 1) != 0 ? (value >> 1) ^ ReflectedPolynomial : value >> 1;
    }
    table[index] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> CrcTable = MakeCrcTable();

constexpr std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t byte) {
  return CrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

}  // namespace

TraditionalCipher::TraditionalCipher(std::string_view password) : keys_{0x12345678, 0x23456789, 0x34567890} {
  for (const char character : password) {
    UpdateKeys(static_cast<std::uint8_t>(character));
  }
}

void TraditionalCipher::UpdateKeys(std::uint8_t plainByte) {
  keys_[0] = CrcStep(keys_[0], plainByte);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
  keys_[2] = CrcStep(keys_[2], static_cast<std::uint8_t>(keys_[1] >> 24));
}

std::uint8_t TraditionalCipher::KeyStreamByte() const {
  const std::uint32_t temporary = (keys_[2] & 0xFFFF) | 2;
  return static_cast<std::uint8_t>((temporary * (temporary ^ 1)) >> 8);
}

void TraditionalCipher::Decrypt(std::span<std::byte> bytes) {
  for (std::byte& byte : bytes) {
    const auto plain = static_cast<std::uint8_t>(std::to_integer<std::uint8_t>(byte) ^ KeyStreamByte());
    UpdateKeys(plain);
    byte = static_cast<std::byte>(plain);
  }
}

void TraditionalCipher::Encrypt(std::span<std::byte> bytes) {
  for (std::byte& byte : bytes) {
    const auto plain = std::to_integer<std::uint8_t>(byte);
    const auto cipher = static_cast<std::uint8_t>(plain ^ KeyStreamByte());
    UpdateKeys(plain);
    byte = static_cast<std::byte>(cipher);
  }
}

std::uint8_t EncryptionCheckByte(std::uint16_t flags, std::uint32_t crc32, std::uint32_t dosDateTime) {
  if ((flags & zipformat::general_flag::DataDescriptor) != 0) {
    return static_cast<std::uint8_t>((dosDateTime >> 8) & 0xFF);
  }
  return static_cast<std::uint8_t>(crc32 >> 24);
}

std::optional<TraditionalCipher> OpenEncryptedEntry(std::string_view password,
                                                    std::span<const std::byte, EncryptionHeaderSize> header,
                                                    std::uint8_t checkByte) {
  TraditionalCipher cipher(password);
  std::array<std::byte, EncryptionHeaderSize> decrypted{};
  std::copy(header.begin(), header.end(), decrypted.begin());
  cipher.Decrypt(decrypted);
  if (std::to_integer<std::uint8_t>(decrypted.back()) != checkByte) {
    return std::nullopt;
  }
  return cipher;
}

}  // namespace engines::shared
