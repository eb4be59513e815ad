#include "tools/command_list.h"

#include <charconv>
#include <concepts>
#include <cstdint>
#include <ostream>

#include "platform/date_time.h"
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

template <std::integral Number>
void AppendNumber(std::string& text, Number value) {
  char digits[20];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  text.append(digits, end);
}

void AppendRightAligned(std::string& text, std::uint64_t value, std::size_t width) {
  char digits[20];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < width) {
    text.append(width - length, ' ');
  }
  text.append(digits, end);
}

void AppendTwoDigits(std::string& text, unsigned value) {
  text += static_cast<char>('0' + value / 10 % 10);
  text += static_cast<char>('0' + value % 10);
}

// "YYYY-MM-DD HH:MM", as the fields are stored even when they name no real day.
void AppendDosDateTime(std::string& text, std::uint32_t dosDateTime) {
  const platform::SystemTime time = platform::DosDateTimeToSystemTime(dosDateTime);
  AppendNumber(text, time.year);
  text += '-';
  AppendTwoDigits(text, time.month);
  text += '-';
  AppendTwoDigits(text, time.day);
  text += ' ';
  AppendTwoDigits(text, time.hour);
  text += ':';
  AppendTwoDigits(text, time.minute);
}

// Names and comments from an archive must not be able to drive the terminal.
bool IsControlCharacter(char character) {
  const auto byte = static_cast<std::uint8_t>(character);
  return byte < 0x20 || byte == 0x7F;
}

void AppendPrintable(std::string& text, std::string_view archiveText) {
  for (const char character : archiveText) {
    text += IsControlCharacter(character) ? '?' : character;
  }
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
  AppendJsonString(json, platform::AnsiToUtf8(entry.FileName));
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
  AppendJsonString(json, platform::AnsiToUtf8(entry.FileComment));
  json += '}';
}

constexpr std::size_t SizeColumnWidth = 9;

void AppendTableRow(std::string& table, const zipbuilder::ZipDirEntry& entry) {
  AppendRightAligned(table, entry.UncompressedSize, SizeColumnWidth);
  table += "  ";
  AppendDosDateTime(table, entry.DosDateTime);
  table += "   ";
  AppendPrintable(table, platform::AnsiToUtf8(entry.FileName));
  table += '\n';
}

void AppendTableTotals(std::string& table, std::uint64_t totalSize, std::size_t entryCount) {
  table += "---------                     -------\n";
  AppendRightAligned(table, totalSize, SizeColumnWidth);
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
  if (const std::string comment = platform::AnsiToUtf8(component.ArchiveComment()); !comment.empty()) {
    AppendPrintableLines(table, comment);
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
  json += "{\"comment\": ";
  AppendJsonString(json, platform::AnsiToUtf8(component.ArchiveComment()));
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
