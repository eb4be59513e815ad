#include "engines/shared/traditional_encryption.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "zipformat/records.h"

namespace engines::shared {
namespace {

std::vector<std::byte> BytesOf(std::string_view text) {
  const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
  return {bytes.begin(), bytes.end()};
}

// Expected cipher text computed with an independent implementation of the
// published algorithm (key schedule 0x12345678/0x23456789/0x34567890).
TEST(TraditionalCipher, EncryptsAsThePublishedAlgorithm) {
  std::vector<std::byte> data = BytesOf("Hello, zip!");
  TraditionalCipher("secret").Encrypt(data);
  const std::array<unsigned, 11> expected = {0x80, 0x75, 0xf6, 0x32, 0x20, 0x4d, 0xe8, 0xa5, 0xbc, 0x8f, 0x34};
  ASSERT_EQ(data.size(), expected.size());
  for (std::size_t index = 0; index < expected.size(); ++index) {
    EXPECT_EQ(std::to_integer<unsigned>(data[index]), expected[index]) << index;
  }
}

TEST(TraditionalCipher, DecryptionUndoesEncryptionAcrossPieces) {
  const std::vector<std::byte> plain = BytesOf("a longer text that is decrypted in uneven pieces");
  std::vector<std::byte> data = plain;
  TraditionalCipher("pw").Encrypt(data);
  EXPECT_NE(data, plain);
  TraditionalCipher decryptor("pw");
  decryptor.Decrypt(std::span(data).first(5));
  decryptor.Decrypt(std::span(data).subspan(5));
  EXPECT_EQ(data, plain);
}

TEST(TraditionalCipher, CheckByteComesFromTimeOnlyWithADataDescriptor) {
  const std::uint32_t crc = 0xAB123456;
  const std::uint32_t dosDateTime = 0x5A21'7C3E;  // time 0x7C3E in the low half
  EXPECT_EQ(EncryptionCheckByte(0, crc, dosDateTime), 0xAB);
  EXPECT_EQ(EncryptionCheckByte(zipformat::general_flag::DataDescriptor, crc, dosDateTime), 0x7C);
}

std::array<std::byte, EncryptionHeaderSize> EncryptedHeader(std::string_view password, std::uint8_t checkByte) {
  std::array<std::byte, EncryptionHeaderSize> header{};
  for (std::size_t index = 0; index < header.size(); ++index) {
    header[index] = static_cast<std::byte>(index * 37 + 11);
  }
  header.back() = static_cast<std::byte>(checkByte);
  TraditionalCipher(password).Encrypt(header);
  return header;
}

TEST(TraditionalCipher, OpeningChecksThePasswordAndContinuesAfterTheHeader) {
  const std::uint8_t checkByte = 0x5C;
  std::array<std::byte, EncryptionHeaderSize + 4> stream{};
  const auto header = EncryptedHeader("right", checkByte);
  std::copy(header.begin(), header.end(), stream.begin());
  // Encrypt the payload as the continuation of the same cipher stream.
  TraditionalCipher writer("right");
  std::array<std::byte, EncryptionHeaderSize> plainHeader{};
  for (std::size_t index = 0; index < plainHeader.size(); ++index) {
    plainHeader[index] = static_cast<std::byte>(index * 37 + 11);
  }
  plainHeader.back() = static_cast<std::byte>(checkByte);
  writer.Encrypt(plainHeader);
  std::array<std::byte, 4> payload = {std::byte{'d'}, std::byte{'a'}, std::byte{'t'}, std::byte{'a'}};
  writer.Encrypt(payload);

  EXPECT_FALSE(OpenEncryptedEntry("wrong", header, checkByte).has_value());
  std::optional<TraditionalCipher> cipher = OpenEncryptedEntry("right", header, checkByte);
  ASSERT_TRUE(cipher.has_value());
  cipher->Decrypt(payload);
  EXPECT_EQ(payload, (std::array<std::byte, 4>{std::byte{'d'}, std::byte{'a'}, std::byte{'t'}, std::byte{'a'}}));
}

}  // namespace
}  // namespace engines::shared
