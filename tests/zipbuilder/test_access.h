// Reaches into TZipBuilder for state that only its operations write, so that
// tests can set up what a List would have left behind.
#pragma once

#include <memory>

#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

class TZipBuilderTestAccess {
 public:
  static DirectoryState& Directory(TZipBuilder& component) { return component.directory_; }
  static EngineBinding& UnzipEngine(TZipBuilder& component) { return component.unzipEngine_; }
  static void AddEntry(TZipBuilder& component, std::unique_ptr<ZipDirEntry> entry) {
    component.dirEntries_.push_back(std::move(entry));
  }
};

}  // namespace zipbuilder
