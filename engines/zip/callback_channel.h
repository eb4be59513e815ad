// Everything the zip engine says to its caller goes through this one object: it
// fills the callback record (with the is-zip flag set), calls the caller's
// function and reads the answers back. It is used on the calling thread only.
//
// A callback that returns 1 asks the engine to stop; every call answers that as
// Flow::Stop and the engine unwinds, leaving the original archive untouched.
// Without a callback function the engine runs silently and takes the defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engines/engine_records.h"
#include "engines/shared/callback_sender.h"
#include "engines/engine_protocol.h"

namespace engines::zip {

using Flow = shared::Flow;

class CallbackChannel {
 public:
  CallbackChannel(EngineCallbackFunction callback, void* caller);

  [[nodiscard]] Flow FileCount(std::uint32_t count);
  [[nodiscard]] Flow TotalSize(std::uint64_t bytes);
  [[nodiscard]] Flow NewFile(std::string_view name, std::uint64_t size);
  // `bytes` done since the last report of the current file.
  [[nodiscard]] Flow BytesDone(std::uint64_t bytes);
  [[nodiscard]] Flow BatchEnd();
  [[nodiscard]] Flow Message(ZipErrorValue error, std::string_view text);

  // Offers `name` for renaming; it is replaced when the caller changed it.
  [[nodiscard]] Flow AskNewName(std::string& name);
  // Offers `comment` for the file `name`; it is replaced when the caller changed it.
  [[nodiscard]] Flow AskFileComment(std::string_view name, std::string& comment);
  // Asks for the password to encrypt `name` with; nothing when none was given.
  [[nodiscard]] Flow AskPassword(std::string_view name, std::optional<std::string>& password);

 private:
  shared::CallbackSender sender_;
};

}  // namespace engines::zip
