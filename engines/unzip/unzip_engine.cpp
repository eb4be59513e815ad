#include "engines/unzip/unzip_engine.h"

#include <new>
#include <string>

#include "engines/engine_records.h"
#include "engines/unzip/archive_extraction.h"
#include "engines/unzip/callback_channel.h"
#include "engines/unzip/command.h"
#include "engines/unzip/memory_decoding.h"

namespace engines::unzip {

namespace {

std::int32_t Execute(UnzipCommandRecord& record) {
  CallbackChannel channel(record.Header.Callback, record.Header.Caller);
  try {
    std::string problem;
    const std::optional<UnzipCommand> command = ReadCommandRecord(record, problem);
    if (!command) {
      static_cast<void>(channel.Message(UnzipErrorValue::BadCommand, "Unzip command refused: " + problem));
      return 0;
    }
    if (command->memoryInput) {
      return DecodeMemoryInput(*command, channel);
    }
    return ExtractFromArchive(*command, channel);
  } catch (const std::bad_alloc&) {
    static_cast<void>(channel.Message(UnzipErrorValue::OutOfMemory, "Unzip command stopped: out of memory"));
  }
  return 0;
}

}  // namespace

std::int32_t ExecuteCommand(void* commandRecord) noexcept {
  if (commandRecord == nullptr) {
    return 0;
  }
  try {
    return Execute(*static_cast<UnzipCommandRecord*>(commandRecord));
  } catch (...) {
    // Nothing may cross the library boundary; the caller sees no file processed.
    return 0;
  }
}

}  // namespace engines::unzip
