// The archive directory reader.
//
// TO BE REPLACED: List here only empties the directory and raises OnDirUpdate,
// which is what List does for an empty or missing ZipFileName. The reader proper
// (end record search, central headers, spanned sets) takes its place.
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

void TZipBuilder::ClearEntryList() { dirEntries_.clear(); }

void TZipBuilder::List() {
  if (mode_ == ComponentMode::Designing) {
    return;
  }
  ClearEntryList();
  if (OnDirUpdate) {
    OnDirUpdate(*this);
  }
}

}  // namespace zipbuilder
