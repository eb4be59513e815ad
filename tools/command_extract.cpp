#include "tools/command_extract.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tools/open_archive.h"
#include "tools/progress_line.h"
#include "tools/terminal.h"
#include "zipbuilder/file_checks.h"

namespace tools {

namespace {

enum class Mode { Extract, Test };

struct ExtractArguments {
  std::string ArchivePath;
  std::optional<std::string> BaseFolder;
  std::optional<std::string> Password;
  zipbuilder::ExtrOptsSet Options{zipbuilder::ExtrOptsEnum::ExtrDirNames};
  std::vector<std::string> Specifications;
  std::string Problem;  // non-empty when the command line was not understood
};

std::string_view CommandNameOf(Mode mode) { return mode == Mode::Extract ? "extract" : "test"; }

// Answers whether `argument` was a switch of the extract command only.
bool TakeExtractSwitch(const std::string& argument, ExtractArguments& parsed) {
  using zipbuilder::ExtrOptsEnum;
  if (argument == "-o") {
    parsed.Options.Include(ExtrOptsEnum::ExtrOverWrite);
  } else if (argument == "-j") {
    parsed.Options.Exclude(ExtrOptsEnum::ExtrDirNames);
  } else if (argument == "--freshen") {
    parsed.Options.Include(ExtrOptsEnum::ExtrFreshen);
  } else if (argument == "--update") {
    parsed.Options.Include(ExtrOptsEnum::ExtrUpdate);
  } else {
    return false;
  }
  return true;
}

void TakeOperand(const std::string& argument, ExtractArguments& parsed) {
  if (parsed.ArchivePath.empty()) {
    parsed.ArchivePath = argument;
  } else {
    parsed.Specifications.push_back(argument);
  }
}

ExtractArguments ParseExtractArguments(std::span<const std::string> arguments, Mode mode) {
  ExtractArguments parsed;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    const bool takesValue = argument == "-P" || (mode == Mode::Extract && argument == "-d");
    if (takesValue && index + 1 == arguments.size()) {
      parsed.Problem = argument + (argument == "-P" ? " needs a PASSWORD" : " needs a FOLDER");
      return parsed;
    }
    if (argument == "-P") {
      parsed.Password = arguments[++index];
    } else if (takesValue) {
      parsed.BaseFolder = arguments[++index];
    } else if (mode == Mode::Extract && TakeExtractSwitch(argument, parsed)) {
      continue;
    } else if (argument.starts_with('-') && argument.size() > 1) {
      parsed.Problem = "unknown option '" + argument + "'";
      return parsed;
    } else {
      TakeOperand(argument, parsed);
    }
  }
  if (parsed.ArchivePath.empty()) {
    parsed.Problem = "missing ARCHIVE";
  }
  if (parsed.Options.Contains(zipbuilder::ExtrOptsEnum::ExtrFreshen) &&
      parsed.Options.Contains(zipbuilder::ExtrOptsEnum::ExtrUpdate)) {
    parsed.Problem = "--freshen and --update exclude each other";
  }
  if (mode == Mode::Test) {
    parsed.Options = {zipbuilder::ExtrOptsEnum::ExtrTest};
  }
  return parsed;
}

// What one run of Extract did, gathered from the component's events.
struct ExtractionTally : FileTally {
  int Failed = 0;
};

// `progress` may be null: no terminal to draw on.
void ConnectTally(zipbuilder::TZipBuilder& component, ExtractionTally& tally, ProgressLine* progress,
                  std::ostream& err) {
  component.OnProgress = [&tally, progress](zipbuilder::TZipBuilder&, zipbuilder::ProgressType type,
                                            const std::string& name, std::int32_t value) {
    CountFiles(tally, type, value);
    if (progress != nullptr) {
      progress->Follow(tally, type, name, value);
    }
  };
  component.OnExtractSkipped = [&tally, progress, &err](zipbuilder::TZipBuilder&, const std::string& name,
                                                        zipbuilder::UnZipSkipTypes reason, int /*engineError*/) {
    ++tally.Failed;
    if (progress != nullptr) {
      progress->EndLine();
    }
    err << "zipbuilder: " << name << ": " << SkipReasonText(reason) << '\n';
  };
  // A file whose CRC-32 does not match is never kept.
  component.OnCRC32Error = [&tally, progress, &err](zipbuilder::TZipBuilder&, const std::string& name,
                                                    std::uint32_t found, std::uint32_t expected, bool& keep) {
    ++tally.Failed;
    if (progress != nullptr) {
      progress->EndLine();
    }
    keep = false;
    err << "zipbuilder: " << name << ": CRC error (found " << std::hex << found << ", expected " << expected
        << std::dec << ")\n";
  };
}

// Without -P an encrypted entry asks on the terminal; the toolkit cancels when
// standard input is no terminal, and the entry is then skipped as having no password.
void AskPasswordsOnTerminal(zipbuilder::TZipBuilder& component, zipbuilder::Toolkit& userInterface) {
  using zipbuilder::TPasswordButton;
  component.OnPasswordError = [&userInterface](zipbuilder::TZipBuilder&, bool /*isZipAction*/,
                                               std::string& password, const std::string& name,
                                               std::uint32_t& /*repeatCount*/, TPasswordButton& action) {
    zipbuilder::PasswordDialogRequest request;
    request.Caption = "Password";
    request.Prompt = "password for " + name + ": ";
    request.Buttons = {TPasswordButton::pbOk, TPasswordButton::pbCancel, TPasswordButton::pbCancelAll};
    const zipbuilder::PasswordDialogResult answer = userInterface.ShowPasswordDialog(request);
    if (answer.ModalResult == zipbuilder::DialogAnswer::Ok) {
      password = answer.Text;
      action = TPasswordButton::pbOk;
      return;
    }
    action = answer.ModalResult == zipbuilder::DialogAnswer::CancelAll ? TPasswordButton::pbCancelAll
                                                                       : TPasswordButton::pbCancel;
  };
}

std::optional<ExitCode> PrepareBaseFolder(const std::string& folder, std::ostream& err) {
  if (zipbuilder::FolderExists(folder) || platform::CreateDirectory(folder)) {
    return std::nullopt;
  }
  err << "zipbuilder: cannot create the folder '" << folder << "'\n";
  return ExitCode::OperationFailed;
}

void WriteSummary(Mode mode, const ExtractionTally& tally, int processed, const std::string& archive,
                  std::ostream& out) {
  if (mode == Mode::Test) {
    out << "No errors detected in " << archive << " (" << processed << " entries tested)\n";
    return;
  }
  out << processed << (processed == 1 ? " entry" : " entries") << " extracted of " << tally.Selected << '\n';
}

ExitCode RunExtraction(CommandContext& context, Mode mode) {
  const ExtractArguments arguments = ParseExtractArguments(context.Arguments, mode);
  if (!arguments.Problem.empty()) {
    return FailWithUsage(context, CommandNameOf(mode), arguments.Problem);
  }
  const std::string baseFolder = arguments.BaseFolder.value_or(platform::GetCurrentDirectory());
  if (mode == Mode::Extract) {
    if (const auto failed = PrepareBaseFolder(baseFolder, context.Err)) {
      return *failed;
    }
  }
  const auto component = NewComponent(context);
  const ReportLog log(*component);
  if (const ExitCode opened =
          OpenArchive(*component, log, arguments.ArchivePath, DirectoryOnlyEntries::Keep, context.Err);
      opened != ExitCode::Success) {
    return opened;
  }
  ExtractionTally tally;
  std::optional<ProgressLine> progress;
  if (StandardErrorIsTerminal()) {
    progress.emplace(context.Err);
  }
  ConnectTally(*component, tally, progress ? &*progress : nullptr, context.Err);
  if (arguments.Password) {
    component->SetPassword(*arguments.Password);
  } else {
    AskPasswordsOnTerminal(*component, context.UserInterface);
  }
  component->SetExtrBaseDir(baseFolder);
  component->SetExtrOptions(arguments.Options);
  component->SetFSpecArgs(arguments.Specifications);
  const std::size_t firstReport = log.Count();
  component->Extract();
  progress.reset();
  log.WriteReports(context.Err, firstReport, log.Count());
  const int processed = component->ProcessedCount();
  const bool complete = tally.Failed == 0 && log.Count() == firstReport && processed == tally.Selected;
  if (!complete) {
    context.Err << "zipbuilder: " << processed << " of " << tally.Selected << " entries "
                << (mode == Mode::Test ? "tested correctly" : "extracted") << '\n';
    return ExitCode::OperationFailed;
  }
  WriteSummary(mode, tally, processed, arguments.ArchivePath, context.Out);
  return ExitCode::Success;
}

}  // namespace

std::string_view SkipReasonText(zipbuilder::UnZipSkipTypes reason) {
  using zipbuilder::UnZipSkipTypes;
  switch (reason) {
    case UnZipSkipTypes::skNotOverwritten:
      return "exists, not overwritten (use -o)";
    case UnZipSkipTypes::skNotPresent:
      return "no file to freshen";
    case UnZipSkipTypes::skExistingNotOlder:
      return "the existing file is as new or newer";
    case UnZipSkipTypes::skUnsafeName:
      return "unsafe name, would leave the folder";
    case UnZipSkipTypes::skUnsupportedMethod:
      return "unsupported compression method";
    case UnZipSkipTypes::skUnsupportedFeature:
      return "unsupported feature";
    case UnZipSkipTypes::skPasswordMissing:
      return "encrypted and no password given";
    case UnZipSkipTypes::skPasswordWrong:
      return "wrong password";
    case UnZipSkipTypes::skCrcError:
      return "CRC error";
    case UnZipSkipTypes::skDataError:
      return "damaged data";
    case UnZipSkipTypes::skWriteFailed:
      return "could not be written";
    case UnZipSkipTypes::skLinkOutsideBase:
      return "a folder on the way links out of the base folder";
    case UnZipSkipTypes::skNoOutputMemory:
      return "no output memory";
  }
  return "skipped";
}

ExitCode RunExtractCommand(CommandContext& context) { return RunExtraction(context, Mode::Extract); }

ExitCode RunTestCommand(CommandContext& context) { return RunExtraction(context, Mode::Test); }

}  // namespace tools
