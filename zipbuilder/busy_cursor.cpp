// The wait cursor. Operations nest (List runs inside Add, Rename, ...), so only
// the outermost pair changes the cursor.
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

void TZipBuilder::PushBusyCursor() {
  if (busyCursorCount_ == 0) {
    savedCursor_ = toolkit_.ScreenCursor();
    toolkit_.SetScreenCursor(CursorShape::Hourglass);
  }
  ++busyCursorCount_;
}

// An unmatched stop takes the count below zero and changes nothing; a later
// start then only brings it back towards zero. This keeps a stray stop from
// restoring a cursor that some other caller saved.
void TZipBuilder::PopBusyCursor() {
  --busyCursorCount_;
  if (busyCursorCount_ == 0) {
    toolkit_.SetScreenCursor(savedCursor_);
  }
}

}  // namespace zipbuilder
