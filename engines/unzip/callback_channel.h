// Everything the engine says to its caller goes through this one object: it fills
// the callback record, calls the caller's function and reads the answers back.
//
// A callback that returns 1 asks the engine to stop at once; every call answers
// that as Flow::Stop and the engine unwinds without calling again. Without a
// callback function the engine runs silently and takes every default answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engines/engine_records.h"
#include "engines/shared/callback_sender.h"
#include "engines/engine_protocol.h"

namespace engines::unzip {

using Flow = shared::Flow;

struct PasswordAnswer {
  bool given = false;
  std::string password;
  std::uint32_t requestsLeft = 0;  // as the caller answered it
  bool stopAsking = false;         // "cancel all": no more requests in this command
};

enum class CrcDecision { Keep, Drop };

class CallbackChannel {
 public:
  CallbackChannel(EngineCallbackFunction callback, void* caller);

  [[nodiscard]] Flow FileCount(std::uint32_t count);
  [[nodiscard]] Flow TotalSize(std::uint64_t bytes);
  [[nodiscard]] Flow NewFile(std::string_view name, std::uint32_t size);
  [[nodiscard]] Flow BytesDone(std::uint32_t bytes);
  [[nodiscard]] Flow BatchEnd();
  [[nodiscard]] Flow Message(UnzipErrorValue error, std::string_view text);
  [[nodiscard]] Flow Skipped(std::string_view name, UnzipSkipReason reason, UnzipErrorValue error);
  [[nodiscard]] Flow FileComment(std::string_view name, std::string_view comment);

  // Value 2 carries the number of requests left, this one included.
  [[nodiscard]] Flow AskPassword(std::string_view name, std::uint32_t requestsLeft, PasswordAnswer& answer);
  [[nodiscard]] Flow ReportCrcError(std::string_view name, std::uint32_t found, std::uint32_t expected,
                                    CrcDecision& decision);
  // `replace` holds the default answer going in and the caller's answer coming out.
  [[nodiscard]] Flow AskOverwrite(std::string_view name, bool existingIsOlder, std::uint32_t entryIndex,
                                  bool& replace);
  // Nothing in `address` when the caller has no memory to give. `fallback` is the
  // buffer the command record offered, used when the caller leaves the request
  // unanswered.
  [[nodiscard]] Flow RequestOutputMemory(std::uint32_t size, void* fallback, std::uint32_t fallbackSize,
                                         void*& address);

 private:
  shared::CallbackSender sender_;
};

}  // namespace engines::unzip
