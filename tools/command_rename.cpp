#include "tools/command_rename.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tools/open_archive.h"
#include "tools/progress_line.h"
#include "zipbuilder/message_table.h"

namespace tools {

namespace {

constexpr std::string_view CommandName = "rename";
// Where the pattern has a 0 a digit must stand; every other character must be there as it is.
constexpr std::string_view DatePattern = "0000-00-00 00:00:00";

struct RenameArguments {
  std::string ArchivePath;
  std::vector<std::string> Names;  // OLD, NEW, OLD, NEW..., UTF-8 as given
  std::uint32_t DosDateTime = 0;   // 0: the dates stay
  std::string ShownDate;           // the date as stored, for the summary
  std::string Problem;             // non-empty when the command line was not understood
};

unsigned DigitsAt(std::string_view text, std::size_t position, std::size_t count) {
  unsigned value = 0;
  for (const char digit : text.substr(position, count)) {
    value = value * 10 + static_cast<unsigned>(digit - '0');
  }
  return value;
}

bool MatchesDatePattern(std::string_view text) {
  if (text.size() != DatePattern.size()) {
    return false;
  }
  for (std::size_t index = 0; index < text.size(); ++index) {
    const bool wantsDigit = DatePattern[index] == '0';
    const bool isDigit = text[index] >= '0' && text[index] <= '9';
    if (wantsDigit ? !isDigit : text[index] != DatePattern[index]) {
      return false;
    }
  }
  return true;
}

// DOS keeps seconds in two-second steps.
std::string WithEvenSeconds(std::string_view text) {
  std::string shown(text);
  const unsigned second = DigitsAt(text, 17, 2) & ~1u;
  shown[17] = static_cast<char>('0' + second / 10);
  shown[18] = static_cast<char>('0' + second % 10);
  return shown;
}

void TakeDate(const std::string& value, RenameArguments& parsed) {
  const std::optional<std::uint32_t> dosDateTime = ParseDosDateTime(value);
  if (!dosDateTime) {
    parsed.Problem = "--date needs \"YYYY-MM-DD HH:MM:SS\", a real date of the years 1980 to 2107, not '" + value + "'";
    return;
  }
  parsed.DosDateTime = *dosDateTime;
  parsed.ShownDate = WithEvenSeconds(value);
}

RenameArguments ParseRenameArguments(std::span<const std::string> arguments) {
  RenameArguments parsed;
  bool optionsEnded = false;
  for (std::size_t index = 0; index < arguments.size() && parsed.Problem.empty(); ++index) {
    const std::string& argument = arguments[index];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == "--date") {
      if (index + 1 == arguments.size()) {
        parsed.Problem = "--date needs a value";
      } else {
        TakeDate(arguments[++index], parsed);
      }
    } else if (!optionsEnded && argument.starts_with('-') && argument.size() > 1) {
      parsed.Problem = "unknown option '" + argument + "'";
    } else if (parsed.ArchivePath.empty()) {
      parsed.ArchivePath = argument;
    } else {
      parsed.Names.push_back(argument);
    }
  }
  if (!parsed.Problem.empty()) {
    return parsed;
  }
  if (parsed.ArchivePath.empty()) {
    parsed.Problem = "missing ARCHIVE";
  } else if (parsed.Names.empty() && parsed.DosDateTime == 0) {
    parsed.Problem = "missing OLD NEW";
  } else if (parsed.Names.size() % 2 != 0) {
    parsed.Problem = "OLD '" + parsed.Names.back() + "' has no NEW";
  }
  return parsed;
}

std::vector<zipbuilder::RenameItem> RenameItemsOf(const RenameArguments& arguments) {
  std::vector<zipbuilder::RenameItem> items;
  for (std::size_t index = 0; index + 1 < arguments.Names.size(); index += 2) {
    items.push_back(
        {platform::Utf8ToAnsi(arguments.Names[index]), platform::Utf8ToAnsi(arguments.Names[index + 1]), 0});
  }
  return items;
}

bool HasFileNamePart(std::string_view name) { return !name.empty() && !name.ends_with('/') && !name.ends_with('\\'); }

// The component refuses, before it does anything, the first pair that would
// turn a file into a folder name; it does not say which one.
std::string NewNameWithoutFileNameProblem(const RenameArguments& arguments) {
  for (std::size_t index = 0; index + 1 < arguments.Names.size(); index += 2) {
    const std::string& oldName = arguments.Names[index];
    const std::string& newName = arguments.Names[index + 1];
    if (HasFileNamePart(oldName) && !HasFileNamePart(newName)) {
      return "NEW '" + newName + "' has no file name, but OLD '" + oldName +
             "' names a file (an OLD ending in / renames a folder)";
    }
  }
  return "a NEW has no file name, but its OLD names a file";
}

std::vector<std::string> EntryNames(const zipbuilder::TZipBuilder& component) {
  std::vector<std::string> names;
  names.reserve(component.DirEntries().size());
  for (const auto& entry : component.DirEntries()) {
    names.push_back(entry->FileName);
  }
  return names;
}

// Entries keep their order through a rename, so the lists compare index by index.
int CountChangedNames(const std::vector<std::string>& before, const zipbuilder::TZipBuilder& component) {
  const auto& after = component.DirEntries();
  int changed = 0;
  for (std::size_t index = 0; index < before.size() && index < after.size(); ++index) {
    changed += before[index] != after[index]->FileName ? 1 : 0;
  }
  return changed;
}

// Rename tells about every entry through OnMessage ("Processing: NAME renamed
// to: NEW"), the way reports come, but these lines are no reports: they leave
// ErrCode alone and would read as failures in the report log. While this lives
// they are left out; every other message still reaches the log.
class EntryLinesLeftOut {
 public:
  explicit EntryLinesLeftOut(zipbuilder::TZipBuilder& component)
      : component_(component),
        logged_(component.OnMessage),
        entryLineStart_(zipbuilder::LoadMessageText(zipbuilder::message_id::RenameProcessing, "Processing: ")) {
    component_.OnMessage = [this](zipbuilder::TZipBuilder& sender, int eventCode, const std::string& message) {
      if (!message.starts_with(entryLineStart_)) {
        logged_(sender, eventCode, message);
      }
    };
  }
  ~EntryLinesLeftOut() { component_.OnMessage = std::move(logged_); }
  EntryLinesLeftOut(const EntryLinesLeftOut&) = delete;
  EntryLinesLeftOut& operator=(const EntryLinesLeftOut&) = delete;

 private:
  zipbuilder::TZipBuilder& component_;
  zipbuilder::TMessageEvent logged_;
  std::string entryLineStart_;
};

ExitCode Summarise(CommandContext& context, const RenameArguments& arguments, int renamed) {
  const bool failed = renamed == 0 && arguments.DosDateTime == 0;
  std::ostream& stream = failed ? context.Err : context.Out;
  if (failed) {
    stream << "zipbuilder: ";
  }
  stream << renamed << (renamed == 1 ? " entry" : " entries") << " renamed in " << arguments.ArchivePath;
  if (arguments.DosDateTime != 0) {
    stream << ", every entry dated " << arguments.ShownDate;
  }
  stream << '\n';
  return failed ? ExitCode::OperationFailed : ExitCode::Success;
}

}  // namespace

std::optional<std::uint32_t> ParseDosDateTime(std::string_view text) {
  if (!MatchesDatePattern(text)) {
    return std::nullopt;
  }
  const unsigned year = DigitsAt(text, 0, 4);
  const unsigned month = DigitsAt(text, 5, 2);
  const unsigned day = DigitsAt(text, 8, 2);
  const unsigned hour = DigitsAt(text, 11, 2);
  const unsigned minute = DigitsAt(text, 14, 2);
  const unsigned second = DigitsAt(text, 17, 2);
  const std::chrono::year_month_day calendarDay{std::chrono::year(static_cast<int>(year)), std::chrono::month(month),
                                                std::chrono::day(day)};
  if (year < 1980 || year > 2107 || !calendarDay.ok() || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  const std::uint32_t date = (year - 1980) << 9 | month << 5 | day;
  const std::uint32_t time = hour << 11 | minute << 5 | second / 2;
  return date << 16 | time;
}

ExitCode RunRenameCommand(CommandContext& context) {
  const RenameArguments arguments = ParseRenameArguments(context.Arguments);
  if (!arguments.Problem.empty()) {
    return FailWithUsage(context, CommandName, arguments.Problem);
  }
  LoggedComponent archive(context);
  if (const ExitCode opened = archive.Open(arguments.ArchivePath, DirectoryOnlyEntries::Keep, context.Err);
      opened != ExitCode::Success) {
    return opened;
  }
  zipbuilder::TZipBuilder& component = archive.Component();
  const ReportLog& log = archive.Log();
  // The tool replaces the archive; nothing goes to a recycle bin.
  component.SetHowToDelete(zipbuilder::DeleteOpts::htdFinal);
  const std::vector<std::string> namesBefore = EntryNames(component);
  std::vector<zipbuilder::RenameItem> items = RenameItemsOf(arguments);
  const std::size_t firstReport = log.Count();
  int result = zipbuilder::rewrite_result::Success;
  {
    const EntryLinesLeftOut entryLines(component);
    const FollowedProgress progress(context, component);
    result = component.Rename(items, arguments.DosDateTime);
  }
  log.WriteReports(context.Err, firstReport, log.Count());
  switch (result) {
    case zipbuilder::rewrite_result::Success:
      break;
    case zipbuilder::rewrite_result::NewNameWithoutFileName:
      return FailWithUsage(context, CommandName, NewNameWithoutFileNameProblem(arguments));
    case zipbuilder::rewrite_result::Busy:
      context.Err << "zipbuilder: the archive is busy with another operation\n";
      return ExitCode::OperationFailed;
    default:
      return ExitCode::OperationFailed;  // the component's report is out already
  }
  // The renamed archive is listed again; a failed listing was reported above.
  if (component.ZipFileName().empty()) {
    return ExitCode::OperationFailed;
  }
  return Summarise(context, arguments, CountChangedNames(namesBefore, component));
}

}  // namespace tools
