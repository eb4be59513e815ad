// Loading and unloading the engine libraries.
//
// TO BE REPLACED by the engine loader (library search in DLLDirectory, error
// mode, entry point resolution, messages 10601-10604 and 10701-10704). Until
// then loading leaves the engine unloaded, so that every operation ends as it
// does when the library cannot be found, and the version getters answer 0.
#include "platform/dynamic_library.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

// The kept version numbers stay: they answer for the engine that was loaded.
void ForgetEntryPoints(EngineBinding& binding) {
  binding.Handle = nullptr;
  binding.Exec = nullptr;
  binding.Version = nullptr;
  binding.PrivVersion = nullptr;
}

}  // namespace

void TZipBuilder::LoadUnzipEngine() {}

void TZipBuilder::LoadZipEngine() {}

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
