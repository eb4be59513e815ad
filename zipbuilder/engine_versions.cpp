// The engines' version getters. They follow the loading policy of every
// operation: load only when not loaded, unload only what they loaded.
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

EngineBinding& TZipBuilder::Binding(EngineKind engine) {
  return engine == EngineKind::Unzip ? unzipEngine_ : zipEngine_;
}

void TZipBuilder::LoadEngine(EngineKind engine) {
  if (engine == EngineKind::Unzip) {
    LoadUnzipEngine();
    return;
  }
  LoadZipEngine();
}

void TZipBuilder::UnloadEngine(EngineKind engine) {
  if (engine == EngineKind::Unzip) {
    UnloadUnzipEngine();
    return;
  }
  UnloadZipEngine();
}

int TZipBuilder::QueryEngineVersion(EngineKind engine, EngineVersionKind kind) {
  const bool loadedHere = Binding(engine).Handle == nullptr;
  if (loadedHere) {
    LoadEngine(engine);
  }
  EngineBinding& binding = Binding(engine);
  if (binding.Handle == nullptr) {
    return 0;
  }
  // A missing entry was reported by the loader; it is never called.
  const engines::EngineVersionFunction entry = kind == EngineVersionKind::Public ? binding.Version : binding.PrivVersion;
  int& kept = kind == EngineVersionKind::Public ? binding.KeptVersion : binding.KeptPrivVersion;
  kept = entry != nullptr ? entry() : 0;
  const int version = kept;
  if (loadedHere) {
    UnloadEngine(engine);
  }
  return version;
}

int TZipBuilder::UnzipEngineVersion() { return QueryEngineVersion(EngineKind::Unzip, EngineVersionKind::Public); }

int TZipBuilder::UnzipEnginePrivVersion() {
  return QueryEngineVersion(EngineKind::Unzip, EngineVersionKind::Private);
}

int TZipBuilder::ZipEngineVersion() { return QueryEngineVersion(EngineKind::Zip, EngineVersionKind::Public); }

int TZipBuilder::ZipEnginePrivVersion() { return QueryEngineVersion(EngineKind::Zip, EngineVersionKind::Private); }

}  // namespace zipbuilder
