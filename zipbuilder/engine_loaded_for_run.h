// An engine for the length of one operation: loaded unless the owner loaded it
// beforehand, and unloaded at the end only when the operation loaded it, on
// every path.
#pragma once

#include <cstdint>

#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

class EngineLoadedForRun {
 public:
  EngineLoadedForRun(TZipBuilder& component, EngineKind engine)
      : component_(component), engine_(engine), loadedHere_(component.Binding(engine).Handle == nullptr) {
    if (loadedHere_) {
      component_.LoadEngine(engine_);
    }
  }
  ~EngineLoadedForRun() {
    if (loadedHere_) {
      component_.UnloadEngine(engine_);
    }
  }
  EngineLoadedForRun(const EngineLoadedForRun&) = delete;
  EngineLoadedForRun& operator=(const EngineLoadedForRun&) = delete;

  // A missing library or entry was reported by the loader; an entry that was not
  // found is never called.
  [[nodiscard]] bool Usable() const {
    const EngineBinding& binding = component_.Binding(engine_);
    return binding.Handle != nullptr && binding.Exec != nullptr && binding.Version != nullptr;
  }

  [[nodiscard]] std::int32_t Version() const { return component_.Binding(engine_).Version(); }

 private:
  TZipBuilder& component_;
  EngineKind engine_;
  bool loadedHere_;
};

}  // namespace zipbuilder
