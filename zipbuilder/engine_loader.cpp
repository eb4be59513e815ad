// Loading and unloading the engine libraries.
//
// Both engines load the same way and differ only in their names and message IDs,
// which EngineNames collects. The search is deliberately simple: DLLDirectory
// when it holds the file, otherwise the bare name and the system's search order,
// so that an installer can drop an engine next to its archive and a developer
// can rely on the engines installed beside the program.
#include <cstdint>
#include <string>

#include "engines/engine_records.h"
#include "platform/dynamic_library.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

struct EngineNames {
  const char* FileName;
  const char* ExecEntry;
  const char* VersionEntry;
  const char* PrivVersionEntry;
  int LoadedMessage;
  int ExecMissingMessage;
  int VersionMissingMessage;
  int LibraryMissingMessage;
};

constexpr EngineNames UnzipEngineNames{
    engines::UnzipEngineFileName,          engines::UnzipExecEntryName,
    engines::UnzipVersionEntryName,        engines::UnzipPrivVersionEntryName,
    message_id::UnzipEngineLoaded,         message_id::UnzipExecNotFound,
    message_id::UnzipVersionNotFound,      message_id::UnzipEngineNotFound,
};

constexpr EngineNames ZipEngineNames{
    engines::ZipEngineFileName,         engines::ZipExecEntryName,
    engines::ZipVersionEntryName,       engines::ZipPrivVersionEntryName,
    message_id::ZipEngineLoaded,        message_id::ZipExecNotFound,
    message_id::ZipVersionNotFound,     message_id::ZipEngineNotFound,
};

// The kept version numbers stay: they answer for the engine that was loaded.
void ForgetEntryPoints(EngineBinding& binding) {
  binding.Handle = nullptr;
  binding.Exec = nullptr;
  binding.Version = nullptr;
  binding.PrivVersion = nullptr;
}

// A full path only when the file is really there: a DLLDirectory without the
// engine falls back to the system search rather than failing.
std::string LibraryNameToLoad(const std::string& dllDirectory, const EngineNames& names) {
  if (!dllDirectory.empty()) {
    std::string candidate = dllDirectory + "\\" + names.FileName;
    if (FileExists(candidate)) {
      return candidate;
    }
  }
  return names.FileName;
}

template <typename Function>
[[nodiscard]] Function ResolveEntry(platform::LibraryHandle library, const char* entryName) {
  return reinterpret_cast<Function>(platform::GetProcAddress(library, entryName));
}

// Keeps the process error mode at "fail critical errors, no fault box" for its
// lifetime, so that a missing or broken library never brings up a system dialog.
class QuietErrorMode {
 public:
  QuietErrorMode()
      : previous_(platform::SetErrorMode(platform::error_mode::FailCriticalErrors |
                                         platform::error_mode::NoGpFaultErrorBox)) {}
  ~QuietErrorMode() { platform::SetErrorMode(previous_); }

  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;

 private:
  std::uint32_t previous_;
};

// A second load of a loaded engine would leave one library reference that no
// unload ever frees, so it keeps the binding as it is.
void LoadEngineInto(TZipBuilder& component, EngineBinding& binding, const EngineNames& names) {
  if (binding.Handle != nullptr) {
    return;
  }
  const std::string libraryName = LibraryNameToLoad(component.DLLDirectory(), names);
  const QuietErrorMode quietErrorMode;
  binding.Handle = platform::LoadLibrary(libraryName);
  if (binding.Handle == nullptr) {
    component.ReportMessage(names.LibraryMissingMessage);
    return;
  }
  if (component.Trace()) {
    component.ReportMessage(names.LoadedMessage);
  }
  binding.Exec = ResolveEntry<engines::EngineExecFunction>(binding.Handle, names.ExecEntry);
  binding.Version = ResolveEntry<engines::EngineVersionFunction>(binding.Handle, names.VersionEntry);
  binding.PrivVersion = ResolveEntry<engines::EngineVersionFunction>(binding.Handle, names.PrivVersionEntry);
  // The library stays loaded either way; callers never call an entry that is null.
  if (binding.Exec == nullptr) {
    component.ReportMessage(names.ExecMissingMessage);
  }
  if (binding.Version == nullptr || binding.PrivVersion == nullptr) {
    component.ReportMessage(names.VersionMissingMessage);
  }
}

}  // namespace

void TZipBuilder::LoadUnzipEngine() { LoadEngineInto(*this, unzipEngine_, UnzipEngineNames); }

void TZipBuilder::LoadZipEngine() { LoadEngineInto(*this, zipEngine_, ZipEngineNames); }

void TZipBuilder::UnloadUnzipEngine() {
  if (unzipEngine_.Handle != nullptr) {
    platform::FreeLibrary(unzipEngine_.Handle);
  }
  ForgetEntryPoints(unzipEngine_);
}

void TZipBuilder::UnloadZipEngine() {
  if (zipEngine_.Handle != nullptr) {
    platform::FreeLibrary(zipEngine_.Handle);
  }
  ForgetEntryPoints(zipEngine_);
}

}  // namespace zipbuilder
