#include "engines/shared/callback_sender.h"

#include <algorithm>
#include <cstring>

#include "engines/engine_protocol.h"

namespace engines::shared {

CallbackSender::CallbackSender(EngineCallbackFunction callback, void* caller, EngineKind kind)
    : callback_(callback), caller_(caller), isZip_(kind == EngineKind::Zip ? 1 : 0) {}

Flow CallbackSender::Send(EngineAction action, std::int32_t value1, std::intptr_t value2, std::string_view text) {
  record_.EngineReserved0 = 0;
  record_.Caller = caller_;
  record_.EngineReserved8 = 0;
  record_.IsZip = isZip_;
  record_.Action = action;
  record_.Value1 = value1;
  record_.Value2 = value2;
  SetText(text, 0, sizeof record_.Text);
  if (callback_ == nullptr) {
    return Flow::Continue;
  }
  return callback_(&record_) == callback_result::Stop ? Flow::Stop : Flow::Continue;
}

void CallbackSender::SetText(std::string_view text, std::size_t offset, std::size_t room) {
  const std::size_t length = std::min(text.size(), room - 1);
  // An empty view may have no address at all, which memcpy must not be given.
  if (length > 0) {
    std::memcpy(record_.Text + offset, text.data(), length);
  }
  record_.Text[offset + length] = '\0';
}

std::string CallbackSender::TextAt(std::size_t offset, std::size_t longest) const {
  return std::string(record_.Text + offset, strnlen(record_.Text + offset, longest));
}

}  // namespace engines::shared
