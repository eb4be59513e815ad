#include "tools/command_list.h"

#include <algorithm>
#include <charconv>
#include <concepts>
#include <cstdint>
#include <ostream>

#include "platform/text.h"
#include "tools/json_text.h"
#include "tools/open_archive.h"

namespace tools {

namespace {

constexpr std::string_view CommandName = "list";

enum class ListingFormat { Table, Json };

struct ListArguments {
  ListingFormat Format = ListingFormat::Table;
  DirectoryOnlyEntries Directories = DirectoryOnlyEntries::Skip;
  std::string ArchivePath;
  std::string Problem;  // non-empty when the command line was not understood
};

ListArguments ParseListArguments(std::span<const std::string> arguments) {
  ListArguments parsed;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == "--json") {
      parsed.Format = ListingFormat::Json;
    } else if (!optionsEnded && argument == "--dirs") {
      parsed.Directories = DirectoryOnlyEntries::Keep;
    } else if (!optionsEnded && argument.starts_with('-') && argument.size() > 1) {
      parsed.Problem = "unknown option '" + argument + "'";
      return parsed;
    } else if (!parsed.ArchivePath.empty()) {
      parsed.Problem = "more than one ARCHIVE";
      return parsed;
    } else {
      parsed.ArchivePath = argument;
    }
  }
  if (parsed.ArchivePath.empty()) {
    parsed.Problem = "missing ARCHIVE";
  }
  return parsed;
}

// The checks below run over every name of archives with tens of thousands of
// entries: they look at every byte without stopping early, which the compiler
// turns into vector code.
bool IsAscii(std::string_view text) {
  std::uint8_t allBits = 0;
  for (const char character : text) {
    allBits |= static_cast<std::uint8_t>(character);
  }
  return allBits < 0x80;
}

// Printable ASCII reads the same in every ANSI code page and in UTF-8, and
// leaves nothing to mask.
bool IsPrintableAscii(std::string_view text) {
  std::uint8_t lowest = 0xFF;
  std::uint8_t highest = 0;
  for (const char character : text) {
    lowest = std::min(lowest, static_cast<std::uint8_t>(character));
    highest = std::max(highest, static_cast<std::uint8_t>(character));
  }
  return lowest >= 0x20 && highest < 0x7F;
}

// ASCII texts read the same in UTF-8. Most entry names are, and they skip the
// conversion's copy: one allocation less per entry.
class Utf8Text {
 public:
  explicit Utf8Text(std::string_view ansiText) : text_(ansiText) {
    if (!IsAscii(ansiText)) {
      converted_ = platform::AnsiToUtf8(ansiText);
      text_ = converted_;
    }
  }
  // It would keep a view of a text about to go away.
  explicit Utf8Text(std::string&& ansiText) = delete;
  Utf8Text(const Utf8Text&) = delete;
  Utf8Text& operator=(const Utf8Text&) = delete;

  [[nodiscard]] std::string_view View() const { return text_; }

 private:
  std::string converted_;
  std::string_view text_;
};

template <std::integral Number>
void AppendNumber(std::string& text, Number value) {
  char digits[20];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  text.append(digits, end);
}

// Writes `value` right-aligned in at least `width` characters; answers the end.
char* PutRightAligned(char* out, std::uint64_t value, std::size_t width) {
  char digits[20];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < width) {
    out = std::fill_n(out, width - length, ' ');
  }
  return std::copy(digits, end, out);
}

// `value` is below 100: no DOS date or time field is larger.
char* PutTwoDigits(char* out, unsigned value) {
  out[0] = static_cast<char>('0' + value / 10);
  out[1] = static_cast<char>('0' + value % 10);
  return out + 2;
}

// "YYYY-MM-DD HH:MM" from the DOS fields as stored, even when they name no real
// day; answers the end.
char* PutDosDateTime(char* out, std::uint32_t dosDateTime) {
  const std::uint32_t date = dosDateTime >> 16;
  const std::uint32_t time = dosDateTime & 0xFFFF;
  const unsigned year = 1980 + (date >> 9);
  out = PutTwoDigits(out, year / 100);
  out = PutTwoDigits(out, year % 100);
  *out++ = '-';
  out = PutTwoDigits(out, (date >> 5) & 0x0F);
  *out++ = '-';
  out = PutTwoDigits(out, date & 0x1F);
  *out++ = ' ';
  out = PutTwoDigits(out, time >> 11);
  *out++ = ':';
  return PutTwoDigits(out, (time >> 5) & 0x3F);
}

// Names and comments from an archive must not be able to drive the terminal.
bool IsControlCharacter(char character) {
  const auto byte = static_cast<std::uint8_t>(character);
  return byte < 0x20 || byte == 0x7F;
}

void AppendPrintable(std::string& text, std::string_view archiveText) {
  const std::size_t start = text.size();
  text.append(archiveText);
  std::replace_if(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), IsControlCharacter, '?');
}

// A comment is free text over several lines, perhaps with DOS line ends.
void AppendPrintableLines(std::string& text, std::string_view archiveText) {
  for (const char character : archiveText) {
    if (character == '\r') {
      continue;
    }
    text += character != '\n' && IsControlCharacter(character) ? '?' : character;
  }
}

void AppendBoolean(std::string& json, bool value) { json += value ? "true" : "false"; }

void AppendJsonEntry(std::string& json, const zipbuilder::ZipDirEntry& entry) {
  // The entry's header fields are packed: each is read by value.
  json += "{\"name\": ";
  AppendJsonString(json, Utf8Text(entry.FileName).View());
  json += ", \"size\": ";
  AppendNumber(json, entry.UncompressedSize);
  json += ", \"compressed_size\": ";
  AppendNumber(json, entry.CompressedSize);
  json += ", \"crc32\": ";
  AppendNumber(json, entry.Crc32);
  json += ", \"method\": ";
  AppendNumber(json, entry.Method);
  json += ", \"dos_datetime\": ";
  AppendNumber(json, entry.DosDateTime);
  json += ", \"encrypted\": ";
  AppendBoolean(json, entry.Encrypted);
  json += ", \"comment\": ";
  AppendJsonString(json, Utf8Text(entry.FileComment).View());
  json += '}';
}

constexpr std::size_t SizeColumnWidth = 9;

void AppendTableRow(std::string& table, const zipbuilder::ZipDirEntry& entry) {
  // The fixed columns go into place at once: this runs for every entry.
  char columns[48];
  char* end = PutRightAligned(columns, entry.UncompressedSize, SizeColumnWidth);
  end = std::copy_n("  ", 2, end);
  end = PutDosDateTime(end, entry.DosDateTime);
  end = std::copy_n("   ", 3, end);
  table.append(columns, end);
  if (IsPrintableAscii(entry.FileName)) {
    table += entry.FileName;
  } else {
    AppendPrintable(table, Utf8Text(entry.FileName).View());
  }
  table += '\n';
}

void AppendTableTotals(std::string& table, std::uint64_t totalSize, std::size_t entryCount) {
  char total[24];
  table += "---------                     -------\n";
  table.append(total, PutRightAligned(total, totalSize, SizeColumnWidth));
  table += "                     ";
  AppendNumber(table, entryCount);
  table += entryCount == 1 ? " file\n" : " files\n";
}

}  // namespace

std::string RenderListingTable(const zipbuilder::TZipBuilder& component, std::string_view archiveName) {
  const auto& entries = component.DirEntries();
  std::string table;
  table.reserve(256 + entries.size() * 64);
  table += "Archive:  ";
  AppendPrintable(table, archiveName);
  table += '\n';
  const std::string archiveComment = component.ArchiveComment();
  if (const Utf8Text comment(archiveComment); !comment.View().empty()) {
    AppendPrintableLines(table, comment.View());
    table += '\n';
  }
  table += "  Length      Date    Time    Name\n"
           "---------  ---------- -----   ----\n";
  std::uint64_t totalSize = 0;
  for (const auto& entry : entries) {
    AppendTableRow(table, *entry);
    totalSize += entry->UncompressedSize;
  }
  AppendTableTotals(table, totalSize, entries.size());
  return table;
}

std::string RenderListingJson(const zipbuilder::TZipBuilder& component) {
  const auto& entries = component.DirEntries();
  const zipbuilder::DirectoryState& directory = component.Directory();
  std::string json;
  json.reserve(128 + entries.size() * 192);
  const std::string archiveComment = component.ArchiveComment();
  json += "{\"comment\": ";
  AppendJsonString(json, Utf8Text(archiveComment).View());
  json += ", \"prefix_size\": ";
  AppendNumber(json, directory.PrefixSize);
  json += ", \"spanned\": ";
  AppendBoolean(json, directory.Spanned);
  json += ", \"entries\": [";
  for (std::size_t index = 0; index < entries.size(); ++index) {
    if (index > 0) {
      json += ", ";
    }
    AppendJsonEntry(json, *entries[index]);
  }
  json += "]}\n";
  return json;
}

ExitCode RunListCommand(CommandContext& context) {
  const ListArguments arguments = ParseListArguments(context.Arguments);
  if (!arguments.Problem.empty()) {
    return FailWithUsage(context, CommandName, arguments.Problem);
  }
  const auto component = NewComponent(context);
  const ReportLog log(*component);
  if (const ExitCode opened = OpenArchive(*component, log, arguments.ArchivePath, arguments.Directories, context.Err);
      opened != ExitCode::Success) {
    return opened;
  }
  const std::string listing = arguments.Format == ListingFormat::Json
                                  ? RenderListingJson(*component)
                                  : RenderListingTable(*component, arguments.ArchivePath);
  context.Out.write(listing.data(), static_cast<std::streamsize>(listing.size()));
  context.Out.flush();
  if (!context.Out) {
    context.Err << "zipbuilder: the listing could not be written\n";
    return ExitCode::OperationFailed;
  }
  return ExitCode::Success;
}

}  // namespace tools
