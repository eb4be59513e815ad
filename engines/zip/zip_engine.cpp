#include "engines/zip/zip_engine.h"

#include <new>
#include <string>

#include "engines/engine_records.h"
#include "engines/zip/add_operation.h"
#include "engines/zip/callback_channel.h"
#include "engines/zip/command.h"
#include "engines/zip/delete_operation.h"
#include "engines/zip/memory_compression.h"

namespace engines::zip {

namespace {

std::int32_t Run(ZipCommandRecord& record, const ZipCommand& command, CallbackChannel& channel) {
  switch (command.operation) {
    case Operation::AddFiles:
    case Operation::AddMemoryEntry:
      return AddToArchive(command, channel);
    case Operation::Delete:
      return DeleteFromArchive(command, channel);
    case Operation::CompressMemory: {
      std::uint32_t produced = 0;
      const std::int32_t result = CompressMemory(command, channel, produced);
      record.OutputSize = produced;
      return result;
    }
  }
  return 0;
}

std::int32_t Execute(ZipCommandRecord& record) {
  CallbackChannel channel(record.Header.Callback, record.Header.Caller);
  try {
    std::string problem;
    const std::optional<ZipCommand> command = ReadCommandRecord(record, problem);
    if (!command) {
      static_cast<void>(channel.Message(ZipErrorValue::BadCommand, "Zip command refused: " + problem));
      return 0;
    }
    return Run(record, *command, channel);
  } catch (const std::bad_alloc&) {
    static_cast<void>(channel.Message(ZipErrorValue::OutOfMemory, "Zip command stopped: out of memory"));
  }
  return 0;
}

}  // namespace

std::int32_t ExecuteCommand(void* commandRecord) noexcept {
  if (commandRecord == nullptr) {
    return 0;
  }
  try {
    return Execute(*static_cast<ZipCommandRecord*>(commandRecord));
  } catch (...) {
    // Nothing may cross the library boundary; the caller sees nothing processed.
    return 0;
  }
}

}  // namespace engines::zip
