// The callback record both engines hand their caller: filled, sent, and kept for
// the answers to be read back. Each engine's callback channel puts its own
// actions and answers on top of this.
//
// A callback that returns 1 asks the engine to stop: Send answers Flow::Stop.
// Without a callback function nothing is called and every send continues, the
// record keeping what was put in it (so an engine reads its own defaults back).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engines/engine_records.h"

namespace engines::shared {

enum class Flow { Continue, Stop };

enum class EngineKind { Unzip, Zip };

class CallbackSender {
 public:
  CallbackSender(EngineCallbackFunction callback, void* caller, EngineKind kind);

  [[nodiscard]] Flow Send(EngineAction action, std::int32_t value1, std::intptr_t value2, std::string_view text);
  // Puts `text` at `offset` of the text area, cut to fit `room` bytes with its
  // terminating zero.
  void SetText(std::string_view text, std::size_t offset, std::size_t room);
  // The zero-terminated text at `offset` of the text area, at most `longest` characters.
  [[nodiscard]] std::string TextAt(std::size_t offset, std::size_t longest) const;

  [[nodiscard]] bool HasCallback() const { return callback_ != nullptr; }
  // The record as the caller left it after the last send.
  [[nodiscard]] const EngineCallbackRecord& Record() const { return record_; }

 private:
  EngineCallbackFunction callback_;
  void* caller_;
  std::int32_t isZip_;
  EngineCallbackRecord record_{};
};

}  // namespace engines::shared
