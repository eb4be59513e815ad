// The hive file parser on texts as Wine writes them, and as people edit them.
#include "platform/posix/wine_hive.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::RegistryValueType;
using platform::posix::Hive;
using platform::posix::HiveKey;
using platform::posix::HiveValue;
using platform::posix::StringValue;

constexpr std::string_view Header = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n";

Hive ParseWithHeader(std::string_view body) {
  return Hive::Parse(std::string(Header) + std::string(body));
}

const HiveValue* ValueAt(const Hive& hive, std::string_view key, std::string_view name) {
  const HiveKey* found = hive.FindKey(key);
  return found != nullptr ? found->FindValue(name) : nullptr;
}

// UTF-16LE bytes of `text`, with the terminating zero the file format implies.
std::vector<std::uint8_t> Utf16WithZero(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::uint32_t TypeNumber(RegistryValueType type) {
  return static_cast<std::uint32_t>(type);
}

TEST(WineHive, EscapedBackslashBeforeTheClosingQuoteEndsTheString) {
  const Hive hive = ParseWithHeader(
      "[Software\\\\Maker\\\\Game] 1786062085\n"
      "\"WithSlash\"=\"C:\\\\Games\\\\Kestrel\\\\\"\n"
      "\"WithoutSlash\"=\"C:\\\\Games\\\\Kestrel\"\n");
  const HiveValue* withSlash = ValueAt(hive, "Software\\Maker\\Game", "WithSlash");
  const HiveValue* withoutSlash = ValueAt(hive, "Software\\Maker\\Game", "WithoutSlash");
  ASSERT_NE(withSlash, nullptr);
  ASSERT_NE(withoutSlash, nullptr);
  EXPECT_EQ(withSlash->data, Utf16WithZero(u"C:\\Games\\Kestrel\\"));
  EXPECT_EQ(withoutSlash->data, Utf16WithZero(u"C:\\Games\\Kestrel"));
}

TEST(WineHive, ReadsEveryValueForm) {
  const Hive hive = ParseWithHeader(
      "[Software\\\\Wine\\\\Drives] 1786062085\n"
      "#time=1dbd3a1f2c40000\n"
      "\"a:\"=\"floppy\"\n"
      "\"Path\"=str(2):\"%SystemRoot%\\\\system32\"\n"
      "\"List\"=str(7):\"one\\0two\\0\"\n"
      "\"Plain\"=str:\"text\"\n"
      "\"Count\"=dword:0001e240\n"
      "\"Blob\"=hex:01,02,ff\n"
      "\"Q\"=hex(b):00,10,00,00,00,00,00,00\n"
      "\"HexString\"=hex(1):41,00,42,00,00,00\n"
      "@=\"default\"\n");
  const std::string key = "Software\\Wine\\Drives";

  const HiveValue* value = ValueAt(hive, key, "a:");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, TypeNumber(RegistryValueType::String));
  EXPECT_EQ(value->data, Utf16WithZero(u"floppy"));

  value = ValueAt(hive, key, "Path");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, TypeNumber(RegistryValueType::ExpandString));
  EXPECT_EQ(StringValue(*value), "%SystemRoot%\\system32");

  value = ValueAt(hive, key, "List");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, TypeNumber(RegistryValueType::MultiString));
  EXPECT_EQ(value->data, Utf16WithZero(std::u16string_view(u"one\0two\0", 8)));

  value = ValueAt(hive, key, "Plain");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(StringValue(*value), "text");

  value = ValueAt(hive, key, "Count");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, TypeNumber(RegistryValueType::Dword));
  EXPECT_EQ(value->data, (std::vector<std::uint8_t>{0x40, 0xE2, 0x01, 0x00}));

  value = ValueAt(hive, key, "Blob");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, TypeNumber(RegistryValueType::Binary));
  EXPECT_EQ(value->data, (std::vector<std::uint8_t>{0x01, 0x02, 0xFF}));

  value = ValueAt(hive, key, "Q");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, TypeNumber(RegistryValueType::Qword));
  EXPECT_EQ(value->data.size(), 8u);

  value = ValueAt(hive, key, "HexString");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(StringValue(*value), "AB") << "a string may be stored in hex form";

  value = ValueAt(hive, key, "");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(StringValue(*value), "default");
}

TEST(WineHive, UndoesWinesEscapes) {
  const Hive hive = ParseWithHeader(
      "[Software\\\\Odd \\[Name\\]] 1700000000\n"
      "\"Quote \\\"in\\\" name\"=\"back\\\\slash\"\n"
      "\"Short\"=\"\\xc4rger\"\n"
      "\"Padded\"=\"\\x00fc1\"\n"
      "\"Controls\"=\"a\\tb\\nc\\r\\e\\001\\0012\"\n"
      "\"Astral\"=\"\\xd83d\\xde00\"\n"
      "\"Raw\"=\"Caf\xC3\xA9\"\n");
  const std::string key = "Software\\Odd [Name]";

  const HiveValue* value = ValueAt(hive, key, "Quote \"in\" name");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(StringValue(*value), "back\\slash");
  EXPECT_EQ(StringValue(*ValueAt(hive, key, "Short")), "\u00C4rger");
  EXPECT_EQ(StringValue(*ValueAt(hive, key, "Padded")), "\u00FC" "1");
  EXPECT_EQ(StringValue(*ValueAt(hive, key, "Controls")), "a\tb\nc\r\x1B\x01\x01" "2");
  EXPECT_EQ(StringValue(*ValueAt(hive, key, "Astral")), "\U0001F600");
  EXPECT_EQ(StringValue(*ValueAt(hive, key, "Raw")), "Caf\u00E9") << "hand-edited UTF-8 is accepted";
}

TEST(WineHive, HexDataContinuesOverLines) {
  const Hive hive = ParseWithHeader(
      "[Key] 1700000000\r\n"
      "\"Long\"=hex:00,01,02,03,\\\r\n"
      "  04,05,\\\r\n"
      "  06\r\n"
      "\"After\"=dword:00000007\r\n");
  const HiveValue* value = ValueAt(hive, "Key", "Long");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->data, (std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6}));
  ASSERT_NE(ValueAt(hive, "Key", "After"), nullptr) << "the line after a continuation is a value again";
  EXPECT_EQ(ValueAt(hive, "Key", "After")->data[0], 7);
}

TEST(WineHive, NamesIgnoreCaseAndParentsAreImplied) {
  const Hive hive = ParseWithHeader(
      "[Software\\\\Tollick\\\\Brevane2] 1700000000\n"
      "\"InstallDir\"=\"C:\\\\Games\"\n"
      "\"installdir\"=\"C:\\\\Later\"\n");
  ASSERT_NE(hive.FindKey("SOFTWARE\\tollick\\BREVANE2"), nullptr);
  EXPECT_NE(hive.FindKey("Software\\Tollick"), nullptr);
  EXPECT_NE(hive.FindKey("Software"), nullptr);
  EXPECT_EQ(hive.FindKey("Software\\Toll"), nullptr) << "a name prefix is not a parent";
  EXPECT_EQ(hive.FindKey("Software\\Tollick\\Brevane2\\Sub"), nullptr);
  const HiveValue* value = ValueAt(hive, "software\\tollick\\brevane2", "INSTALLDIR");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(StringValue(*value), "C:\\Later") << "a later line of the same name replaces the value";
}

TEST(WineHive, TextWithoutTheVersionLineHasNoKeys) {
  EXPECT_EQ(Hive::Parse("REGEDIT4\n\n[Key]\n\"a\"=\"b\"\n").KeyCount(), 0u);
  EXPECT_EQ(Hive::Parse("").KeyCount(), 0u);
}

TEST(WineHive, BrokenLinesAreSkipped) {
  const Hive hive = ParseWithHeader(
      "\"BeforeAnyKey\"=\"ignored\"\n"
      "[Key] 1700000000\n"
      "\"Unterminated=\"x\"\n"
      "\"NoEquals\" \"x\"\n"
      "\"BadHex\"=hex:0g\n"
      "\"Unknown\"=float:1.5\n"
      "\"Good\"=\"kept\"\n"
      "[Unclosed\n"
      "\"AfterBadKey\"=\"lost\"\n");
  const HiveKey* key = hive.FindKey("Key");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->values.size(), 1u);
  EXPECT_EQ(key->values[0].name, "Good");
}

}  // namespace
