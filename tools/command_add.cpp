#include "tools/command_add.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/open_archive.h"
#include "tools/progress_line.h"
#include "tools/terminal.h"
#include "zipbuilder/file_checks.h"

namespace tools {

namespace {

using zipbuilder::AddOptsEnum;

struct AddArguments {
  std::string ArchivePath;
  std::vector<std::string> FileSpecifications;
  std::vector<std::string> Exclusions;
  std::optional<std::string> Password;
  std::string RootFolder;
  std::string StandardInputName = "-";  // the entry made of standard input
  int Level = 6;
  // Folder names are kept, and folders get entries of their own, as with zip.
  zipbuilder::AddOptsSet Options{AddOptsEnum::AddDirNames};
  std::string Problem;  // non-empty when the command line was not understood
};

// "-0" to "-9".
[[nodiscard]] std::optional<int> LevelSwitch(const std::string& argument) {
  if (argument.size() != 2 || argument[0] != '-' || argument[1] < '0' || argument[1] > '9') {
    return std::nullopt;
  }
  return argument[1] - '0';
}

// Answers whether `argument` was a switch without a value.
bool TakeFlag(const std::string& argument, AddArguments& parsed) {
  if (const std::optional<int> level = LevelSwitch(argument)) {
    parsed.Level = *level;
  } else if (argument == "-r") {
    parsed.Options.Include(AddOptsEnum::AddRecurseDirs);
  } else if (argument == "-j") {
    parsed.Options.Exclude(AddOptsEnum::AddDirNames);
  } else if (argument == "-m") {
    parsed.Options.Include(AddOptsEnum::AddMove);
  } else if (argument == "-f") {
    parsed.Options.Include(AddOptsEnum::AddFreshen);
  } else if (argument == "-u") {
    parsed.Options.Include(AddOptsEnum::AddUpdate);
  } else {
    return false;
  }
  return true;
}

// Answers whether `argument` was a switch that takes the next argument.
bool TakesValue(const std::string& argument) {
  return argument == "-P" || argument == "-x" || argument == "--root" || argument == "--name";
}

void TakeValue(const std::string& argument, const std::string& value, AddArguments& parsed) {
  if (argument == "-P") {
    parsed.Password = value;
  } else if (argument == "-x") {
    parsed.Exclusions.push_back(value);
  } else if (argument == "--name") {
    parsed.StandardInputName = value;
  } else {
    parsed.RootFolder = value;
  }
}

[[nodiscard]] bool ReadsStandardInput(const AddArguments& parsed) {
  for (const std::string& specification : parsed.FileSpecifications) {
    if (specification == "-") {
      return true;
    }
  }
  return false;
}

AddArguments ParseAddArguments(std::span<const std::string> arguments) {
  AddArguments parsed;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (TakesValue(argument)) {
      if (index + 1 == arguments.size()) {
        parsed.Problem = argument + " needs a value";
        return parsed;
      }
      TakeValue(argument, arguments[++index], parsed);
    } else if (TakeFlag(argument, parsed)) {
      continue;
    } else if (argument.starts_with('-') && argument.size() > 1) {
      parsed.Problem = "unknown option '" + argument + "'";
      return parsed;
    } else if (parsed.ArchivePath.empty()) {
      parsed.ArchivePath = argument;
    } else {
      parsed.FileSpecifications.push_back(argument);
    }
  }
  if (parsed.ArchivePath.empty()) {
    parsed.Problem = "missing ARCHIVE";
  } else if (parsed.FileSpecifications.empty()) {
    parsed.Problem = "missing FILESPEC";
  } else if (parsed.Options.Contains(AddOptsEnum::AddFreshen) && parsed.Options.Contains(AddOptsEnum::AddUpdate)) {
    parsed.Problem = "-f and -u exclude each other";
  } else if (parsed.FileSpecifications.size() > 1 && ReadsStandardInput(parsed)) {
    parsed.Problem = "- (standard input) must be the only FILESPEC";
  } else if (parsed.Password && parsed.Password->empty()) {
    parsed.Problem = "-P needs a non-empty PASSWORD";
  }
  return parsed;
}

void ApplyArguments(zipbuilder::TZipBuilder& component, const AddArguments& arguments) {
  zipbuilder::AddOptsSet options = arguments.Options;
  if (arguments.Password) {
    options.Include(AddOptsEnum::AddEncrypt);
    component.SetPassword(*arguments.Password);
  }
  component.SetAddOptions(options);
  component.SetAddCompLevel(arguments.Level);
  // The tool replaces the archive; nothing goes to a recycle bin.
  component.SetHowToDelete(zipbuilder::DeleteOpts::htdFinal);
  if (!arguments.RootFolder.empty()) {
    component.SetRootDir(arguments.RootFolder);
  }
  component.SetFSpecArgs(arguments.FileSpecifications);
  component.SetFSpecArgsExcl(arguments.Exclusions);
}

// As Info-ZIP zip does with "-": standard input becomes one entry, dated now.
ExitCode AddStandardInput(CommandContext& context, zipbuilder::TZipBuilder& component, const ReportLog& log,
                          const std::string& entryName) {
  const std::optional<std::string> bytes = ReadAllStandardInput();
  zipbuilder::TZipStream& stream = component.ZipStream();
  if (!bytes || !stream.SetSize(bytes->size())) {
    context.Err << "zipbuilder: cannot read standard input\n";
    return ExitCode::OperationFailed;
  }
  std::copy(bytes->begin(), bytes->end(), stream.Memory());
  component.FSpecArgs().clear();
  const std::size_t firstReport = log.Count();
  component.AddFromZipStream(entryName, 0, 0);
  log.WriteReports(context.Err, firstReport, log.Count());
  return component.ProcessedCount() == 1 && component.ErrCode() == 0 ? ExitCode::Success : ExitCode::OperationFailed;
}

}  // namespace

ExitCode RunAddCommand(CommandContext& context) {
  const AddArguments arguments = ParseAddArguments(context.Arguments);
  if (!arguments.Problem.empty()) {
    return FailWithUsage(context, "add", arguments.Problem);
  }
  const auto component = NewComponent(context);
  const ReportLog log(*component);
  // An archive that is already there is read first, so that a damaged one is
  // reported as such rather than as a missing name.
  if (zipbuilder::FileExists(arguments.ArchivePath)) {
    if (const ExitCode opened =
            OpenArchive(*component, log, arguments.ArchivePath, DirectoryOnlyEntries::Keep, context.Err);
        opened != ExitCode::Success) {
      return opened;
    }
  } else {
    component->SetZipFileName(arguments.ArchivePath);
  }
  ApplyArguments(*component, arguments);
  ExitCode result = ExitCode::Success;
  if (ReadsStandardInput(arguments)) {
    result = AddStandardInput(context, *component, log, arguments.StandardInputName);
  } else {
    result = RunWithProgress(context, *component, log, [](zipbuilder::TZipBuilder& builder) { builder.Add(); });
  }
  const int added = component->ProcessedCount();
  std::ostream& stream = result == ExitCode::Success ? context.Out : context.Err;
  if (result != ExitCode::Success) {
    stream << "zipbuilder: ";
  }
  stream << added << (added == 1 ? " file" : " files") << " added to " << arguments.ArchivePath << '\n';
  return result;
}

}  // namespace tools
