// The zip engine for the length of one writing operation (Add, Delete): loaded
// unless the owner loaded it beforehand, and unloaded at the end only when the
// operation loaded it, on every path.
#pragma once

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

 private:
  TZipBuilder& component_;
  bool loadedHere_;
};

}  // namespace zipbuilder
