#include "engines/unzip/callback_channel.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace engines::unzip {

namespace {

constexpr std::int32_t StopAnswer = 1;
constexpr std::int32_t KeepAnswer = 1;
constexpr std::int32_t PasswordGiven = 1;
constexpr std::int32_t NoMemoryAnswer = 1;
constexpr std::uint32_t OlderFileBit = 1u << 16;
constexpr std::uint32_t EntryIndexMask = 0xFFFF;

std::intptr_t ClampToValue(std::uint64_t value) {
  return static_cast<std::intptr_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::intptr_t>::max()));
}

}  // namespace

CallbackChannel::CallbackChannel(EngineCallbackFunction callback, void* caller) : callback_(callback), caller_(caller) {}

void CallbackChannel::SetText(std::string_view text, std::size_t offset, std::size_t room) {
  const std::size_t length = std::min(text.size(), room - 1);
  if (length > 0) {
    std::memcpy(record_.Text + offset, text.data(), length);
  }
  record_.Text[offset + length] = '\0';
}

Flow CallbackChannel::Send(EngineAction action, std::int32_t value1, std::intptr_t value2, std::string_view text) {
  record_.EngineReserved0 = 0;
  record_.Caller = caller_;
  record_.EngineReserved8 = 0;
  record_.IsZip = 0;
  record_.Action = action;
  record_.Value1 = value1;
  record_.Value2 = value2;
  SetText(text, 0, sizeof record_.Text);
  if (callback_ == nullptr) {
    return Flow::Continue;
  }
  return callback_(&record_) == StopAnswer ? Flow::Stop : Flow::Continue;
}

Flow CallbackChannel::FileCount(std::uint32_t count) {
  return Send(EngineAction::FileCount, 0, ClampToValue(count), {});
}

Flow CallbackChannel::TotalSize(std::uint64_t bytes) {
  return Send(EngineAction::TotalSize, 0, ClampToValue(bytes), {});
}

Flow CallbackChannel::NewFile(std::string_view name, std::uint32_t size) {
  return Send(EngineAction::NewFile, 0, ClampToValue(size), name);
}

Flow CallbackChannel::BytesDone(std::uint32_t bytes) {
  return Send(EngineAction::BytesDone, 0, ClampToValue(bytes), {});
}

Flow CallbackChannel::BatchEnd() {
  return Send(EngineAction::BatchEnd, 0, 0, {});
}

Flow CallbackChannel::Message(ErrorValue error, std::string_view text) {
  return Send(EngineAction::Message, static_cast<std::int32_t>(error), 0, text);
}

Flow CallbackChannel::Skipped(std::string_view name, SkipReason reason, ErrorValue error) {
  return Send(EngineAction::FileSkipped, static_cast<std::int32_t>(error), static_cast<std::intptr_t>(reason), name);
}

Flow CallbackChannel::FileComment(std::string_view name, std::string_view comment) {
  constexpr std::size_t commentRoom = sizeof record_.Text - EngineCallbackCommentOffset;
  SetText(comment, EngineCallbackCommentOffset, commentRoom);
  const std::string shortName(name.substr(0, EngineCallbackCommentOffset - 1));
  // Send rewrites the start of the text area only up to the name's terminating zero.
  return Send(EngineAction::FileComment, 0, ClampToValue(std::min(comment.size(), commentRoom - 1)), shortName);
}

Flow CallbackChannel::AskPassword(std::string_view name, std::uint32_t requestsLeft, PasswordAnswer& answer) {
  answer = PasswordAnswer{};
  const Flow flow = Send(EngineAction::PasswordRequest, 0, ClampToValue(requestsLeft), name);
  if (callback_ == nullptr) {
    return flow;
  }
  answer.stopAsking = record_.Action == EngineAction::None;
  answer.given = record_.Value1 == PasswordGiven;
  if (answer.given) {
    answer.password.assign(record_.Text, strnlen(record_.Text, MaximumPasswordLength));
  }
  answer.requestsLeft = record_.Value2 < 0 ? 0 : static_cast<std::uint32_t>(std::min<std::intptr_t>(record_.Value2, 0xFFFF));
  return flow;
}

Flow CallbackChannel::ReportCrcError(std::string_view name, std::uint32_t found, std::uint32_t expected,
                                     CrcDecision& decision) {
  decision = CrcDecision::Drop;
  const Flow flow = Send(EngineAction::CrcError, static_cast<std::int32_t>(found), static_cast<std::intptr_t>(expected), name);
  // 0 means drop and 2 means nobody handled it: only an explicit 1 keeps the file.
  if (callback_ != nullptr && record_.Value1 == KeepAnswer) {
    decision = CrcDecision::Keep;
  }
  return flow;
}

Flow CallbackChannel::AskOverwrite(std::string_view name, bool existingIsOlder, std::uint32_t entryIndex,
                                   bool& replace) {
  const std::uint32_t value1 = (existingIsOlder ? OlderFileBit : 0) | (entryIndex & EntryIndexMask);
  const Flow flow = Send(EngineAction::OverwriteQuestion, static_cast<std::int32_t>(value1), replace ? 1 : 0, name);
  replace = record_.Value2 != 0;
  return flow;
}

Flow CallbackChannel::RequestOutputMemory(std::uint32_t size, void* fallback, std::uint32_t fallbackSize,
                                          void*& address) {
  address = nullptr;
  const Flow flow = Send(EngineAction::OutputMemoryRequest, 0, ClampToValue(size), {});
  const bool unanswered = callback_ == nullptr || record_.Value2 == static_cast<std::intptr_t>(size);
  if (unanswered) {
    address = fallback != nullptr && fallbackSize >= size ? fallback : nullptr;
    return flow;
  }
  if (record_.Value1 == NoMemoryAnswer || record_.Value2 == 0) {
    return flow;
  }
  address = reinterpret_cast<void*>(record_.Value2);
  return flow;
}

}  // namespace engines::unzip
