// The zip records as the component names them. The records, their parsing and
// writing, and the spanning marks are the zip format core's (zipformat/); the
// component keeps no copy of them.
#pragma once

#include "zipformat/records.h"
#include "zipformat/spanning.h"

namespace zipbuilder {

// The fixed 22 bytes of an end of central directory record (end record), parsed.
using EndRecord = zipformat::EndRecord;

using zipformat::EndRecordSize;
using zipformat::SpanDiskLabel;

}  // namespace zipbuilder
