// The zip engine for the length of one writing operation (Add, Delete): loaded
// unless the owner loaded it beforehand, and unloaded at the end only when the
// operation loaded it, on every path; and what both operations hand it.
#pragma once

#include <cstdint>

#include "zipbuilder/command_records.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

class ZipEngineScope {
 public:
  explicit ZipEngineScope(TZipBuilder& component)
      : component_(component), loadedHere_(component.zipEngine_.Handle == nullptr) {
    if (loadedHere_) {
      component_.LoadZipEngine();
    }
  }
  ~ZipEngineScope() {
    if (loadedHere_) {
      component_.UnloadZipEngine();
    }
  }
  ZipEngineScope(const ZipEngineScope&) = delete;
  ZipEngineScope& operator=(const ZipEngineScope&) = delete;

  // A missing library or entry was reported by the loader; an entry that was not
  // found is never called.
  [[nodiscard]] bool Usable() const {
    const EngineBinding& binding = component_.zipEngine_;
    return binding.Handle != nullptr && binding.Exec != nullptr && binding.Version != nullptr;
  }

  [[nodiscard]] std::int32_t Version() const { return component_.zipEngine_.Version(); }

  // What every zip command takes from the component's properties. Only an add
  // has a root folder: a delete's lines name entries, not files.
  [[nodiscard]] ZipCommandSettings Settings(ZipCommandKind kind) const;

  // Hands the record to ZipDllExec as the current command record; ProcessedCount
  // is the engine's count. An event handler that failed inside a callback made
  // the callback stop the engine; that failure is raised here, once the engine
  // returned.
  void Execute(ZipCommand& command) const;

 private:
  TZipBuilder& component_;
  bool loadedHere_;
};

}  // namespace zipbuilder
