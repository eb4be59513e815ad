// The zip engine for the length of one writing operation (Add, Delete), and what
// both operations hand it.
#pragma once

#include <cstdint>

#include "zipbuilder/command_records.h"
#include "zipbuilder/engine_loaded_for_run.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

class ZipEngineScope {
 public:
  explicit ZipEngineScope(TZipBuilder& component) : component_(component), engine_(component, EngineKind::Zip) {}

  [[nodiscard]] bool Usable() const { return engine_.Usable(); }
  [[nodiscard]] std::int32_t Version() const { return engine_.Version(); }

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
  EngineLoadedForRun engine_;
};

}  // namespace zipbuilder
