#include "engines/zip/callback_channel.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace engines::zip {

namespace {

constexpr std::int32_t StopAnswer = 1;
constexpr std::int32_t ChangedAnswer = 1;
constexpr std::int32_t PasswordGiven = 1;
constexpr std::int32_t ZipEngineCalls = 1;
// One password request per file: the component's repeat count means nothing here.
constexpr std::intptr_t SingleRequest = 1;

std::intptr_t ClampToValue(std::uint64_t value) {
  return static_cast<std::intptr_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

CallbackChannel::CallbackChannel(EngineCallbackFunction callback, void* caller) : callback_(callback), caller_(caller) {}

void CallbackChannel::SetText(std::string_view text, std::size_t offset, std::size_t room) {
  const std::size_t length = std::min(text.size(), room - 1);
  // An empty view may have no address at all, which memcpy must not be given.
  if (length > 0) {
    std::memcpy(record_.Text + offset, text.data(), length);
  }
  record_.Text[offset + length] = '\0';
}

std::string CallbackChannel::TextAt(std::size_t offset, std::size_t longest) const {
  return std::string(record_.Text + offset, strnlen(record_.Text + offset, longest));
}

Flow CallbackChannel::Send(EngineAction action, std::int32_t value1, std::intptr_t value2, std::string_view text) {
  record_.EngineReserved0 = 0;
  record_.Caller = caller_;
  record_.EngineReserved8 = 0;
  record_.IsZip = ZipEngineCalls;
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

Flow CallbackChannel::NewFile(std::string_view name, std::uint64_t size) {
  return Send(EngineAction::NewFile, 0, ClampToValue(size), name);
}

Flow CallbackChannel::BytesDone(std::uint64_t bytes) {
  return Send(EngineAction::BytesDone, 0, ClampToValue(bytes), {});
}

Flow CallbackChannel::BatchEnd() {
  return Send(EngineAction::BatchEnd, 0, 0, {});
}

Flow CallbackChannel::Message(ErrorValue error, std::string_view text) {
  return Send(EngineAction::Message, static_cast<std::int32_t>(error), 0, text);
}

Flow CallbackChannel::AskNewName(std::string& name) {
  const Flow flow = Send(EngineAction::NewName, 0, 0, name);
  if (callback_ != nullptr && record_.Value1 == ChangedAnswer) {
    name = TextAt(0, EngineCallbackMaximumAnswer);
  }
  return flow;
}

Flow CallbackChannel::AskFileComment(std::string_view name, std::string& comment) {
  record_.Text[0] = '\0';
  SetText(comment, EngineCallbackCommentOffset, sizeof record_.Text - EngineCallbackCommentOffset);
  // Send rewrites the start of the text area only up to the name's terminating zero.
  const std::string shortName(name.substr(0, EngineCallbackCommentOffset - 1));
  const Flow flow = Send(EngineAction::FileComment, 0, static_cast<std::intptr_t>(comment.size()), shortName);
  if (callback_ != nullptr && record_.Value1 == ChangedAnswer) {
    comment = TextAt(0, EngineCallbackMaximumComment);
  }
  return flow;
}

Flow CallbackChannel::AskPassword(std::string_view name, std::optional<std::string>& password) {
  password.reset();
  const Flow flow = Send(EngineAction::PasswordRequest, 0, SingleRequest, name);
  if (callback_ != nullptr && record_.Value1 == PasswordGiven) {
    std::string given = TextAt(0, MaximumPasswordLength);
    if (!given.empty()) {
      password = std::move(given);
    }
  }
  return flow;
}

}  // namespace engines::zip
