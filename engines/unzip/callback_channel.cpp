#include "engines/unzip/callback_channel.h"

#include <algorithm>
#include <limits>

namespace engines::unzip {

namespace {

std::intptr_t ClampToValue(std::uint64_t value) {
  return static_cast<std::intptr_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::intptr_t>::max()));
}

}  // namespace

CallbackChannel::CallbackChannel(EngineCallbackFunction callback, void* caller)
    : sender_(callback, caller, shared::EngineKind::Unzip) {}

Flow CallbackChannel::FileCount(std::uint32_t count) {
  return sender_.Send(EngineAction::FileCount, 0, ClampToValue(count), {});
}

Flow CallbackChannel::TotalSize(std::uint64_t bytes) {
  return sender_.Send(EngineAction::TotalSize, 0, ClampToValue(bytes), {});
}

Flow CallbackChannel::NewFile(std::string_view name, std::uint32_t size) {
  return sender_.Send(EngineAction::NewFile, 0, ClampToValue(size), name);
}

Flow CallbackChannel::BytesDone(std::uint32_t bytes) {
  return sender_.Send(EngineAction::BytesDone, 0, ClampToValue(bytes), {});
}

Flow CallbackChannel::BatchEnd() {
  return sender_.Send(EngineAction::BatchEnd, 0, 0, {});
}

Flow CallbackChannel::Message(UnzipErrorValue error, std::string_view text) {
  return sender_.Send(EngineAction::Message, static_cast<std::int32_t>(error), 0, text);
}

Flow CallbackChannel::Skipped(std::string_view name, UnzipSkipReason reason, UnzipErrorValue error) {
  return sender_.Send(EngineAction::FileSkipped, static_cast<std::int32_t>(error), static_cast<std::intptr_t>(reason), name);
}

Flow CallbackChannel::FileComment(std::string_view name, std::string_view comment) {
  constexpr std::size_t commentRoom = sizeof(EngineCallbackRecord::Text) - EngineCallbackCommentOffset;
  sender_.SetText(comment, EngineCallbackCommentOffset, commentRoom);
  const std::string shortName(name.substr(0, EngineCallbackCommentOffset - 1));
  // Send rewrites the start of the text area only up to the name's terminating zero.
  return sender_.Send(EngineAction::FileComment, 0, ClampToValue(std::min(comment.size(), commentRoom - 1)), shortName);
}

Flow CallbackChannel::AskPassword(std::string_view name, std::uint32_t requestsLeft, PasswordAnswer& answer) {
  answer = PasswordAnswer{};
  const Flow flow = sender_.Send(EngineAction::PasswordRequest, 0, ClampToValue(requestsLeft), name);
  if (!sender_.HasCallback()) {
    return flow;
  }
  const EngineCallbackRecord& record = sender_.Record();
  answer.stopAsking = record.Action == EngineAction::None;
  answer.given = record.Value1 == password_request::Given;
  if (answer.given) {
    answer.password = sender_.TextAt(0, MaximumPasswordLength);
  }
  answer.requestsLeft = record.Value2 < 0 ? 0 : static_cast<std::uint32_t>(std::min<std::intptr_t>(record.Value2, 0xFFFF));
  return flow;
}

Flow CallbackChannel::ReportCrcError(std::string_view name, std::uint32_t found, std::uint32_t expected,
                                     CrcDecision& decision) {
  decision = CrcDecision::Drop;
  const Flow flow = sender_.Send(EngineAction::CrcError, static_cast<std::int32_t>(found), static_cast<std::intptr_t>(expected), name);
  // Drop and NobodyAsked both drop it: only an explicit Keep keeps the file.
  if (sender_.HasCallback() && sender_.Record().Value1 == crc_error::Keep) {
    decision = CrcDecision::Keep;
  }
  return flow;
}

Flow CallbackChannel::AskOverwrite(std::string_view name, bool existingIsOlder, std::uint32_t entryIndex,
                                   bool& replace) {
  const std::uint32_t value1 = (existingIsOlder ? overwrite_question::OlderFileBit : 0) |
                               (entryIndex & overwrite_question::DirectoryIndexMask);
  const std::int32_t defaultAnswer = replace ? overwrite_question::Replace : overwrite_question::Keep;
  const Flow flow = sender_.Send(EngineAction::OverwriteQuestion, static_cast<std::int32_t>(value1), defaultAnswer, name);
  replace = sender_.Record().Value2 != overwrite_question::Keep;
  return flow;
}

Flow CallbackChannel::RequestOutputMemory(std::uint32_t size, void* fallback, std::uint32_t fallbackSize,
                                          void*& address) {
  address = nullptr;
  const Flow flow = sender_.Send(EngineAction::OutputMemoryRequest, 0, ClampToValue(size), {});
  const bool unanswered = !sender_.HasCallback() || sender_.Record().Value2 == static_cast<std::intptr_t>(size);
  if (unanswered) {
    address = fallback != nullptr && fallbackSize >= size ? fallback : nullptr;
    return flow;
  }
  if (sender_.Record().Value1 == output_memory_request::NotAvailable || sender_.Record().Value2 == 0) {
    return flow;
  }
  address = reinterpret_cast<void*>(sender_.Record().Value2);
  return flow;
}

}  // namespace engines::unzip
