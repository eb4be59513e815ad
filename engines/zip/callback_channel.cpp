#include "engines/zip/callback_channel.h"

#include <algorithm>
#include <limits>

namespace engines::zip {

namespace {

// One password request per file: the component's repeat count means nothing here.
constexpr std::intptr_t SingleRequest = 1;

std::intptr_t ClampToValue(std::uint64_t value) {
  return static_cast<std::intptr_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

CallbackChannel::CallbackChannel(EngineCallbackFunction callback, void* caller)
    : sender_(callback, caller, shared::EngineKind::Zip) {}

Flow CallbackChannel::FileCount(std::uint32_t count) {
  return sender_.Send(EngineAction::FileCount, 0, ClampToValue(count), {});
}

Flow CallbackChannel::TotalSize(std::uint64_t bytes) {
  return sender_.Send(EngineAction::TotalSize, 0, ClampToValue(bytes), {});
}

Flow CallbackChannel::NewFile(std::string_view name, std::uint64_t size) {
  return sender_.Send(EngineAction::NewFile, 0, ClampToValue(size), name);
}

Flow CallbackChannel::BytesDone(std::uint64_t bytes) {
  return sender_.Send(EngineAction::BytesDone, 0, ClampToValue(bytes), {});
}

Flow CallbackChannel::BatchEnd() {
  return sender_.Send(EngineAction::BatchEnd, 0, 0, {});
}

Flow CallbackChannel::Message(ZipErrorValue error, std::string_view text) {
  return sender_.Send(EngineAction::Message, static_cast<std::int32_t>(error), 0, text);
}

Flow CallbackChannel::AskNewName(std::string& name) {
  const Flow flow = sender_.Send(EngineAction::NewName, new_name::Unchanged, 0, name);
  if (sender_.HasCallback() && sender_.Record().Value1 == new_name::Changed) {
    name = sender_.TextAt(0, EngineCallbackMaximumAnswer);
  }
  return flow;
}

Flow CallbackChannel::AskFileComment(std::string_view name, std::string& comment) {
  constexpr std::size_t commentRoom = sizeof(EngineCallbackRecord::Text) - EngineCallbackCommentOffset;
  sender_.SetText(comment, EngineCallbackCommentOffset, commentRoom);
  // Send rewrites the start of the text area only up to the name's terminating zero.
  const std::string shortName(name.substr(0, EngineCallbackCommentOffset - 1));
  const Flow flow =
      sender_.Send(EngineAction::FileComment, file_comment::Unchanged, static_cast<std::intptr_t>(comment.size()), shortName);
  if (sender_.HasCallback() && sender_.Record().Value1 == file_comment::Changed) {
    comment = sender_.TextAt(0, EngineCallbackMaximumComment);
  }
  return flow;
}

Flow CallbackChannel::AskPassword(std::string_view name, std::optional<std::string>& password) {
  password.reset();
  // The password is for files about to be encrypted: the caller asks for it twice.
  const Flow flow = sender_.Send(EngineAction::PasswordRequest, password_request::NewPasswordBit, SingleRequest, name);
  if (sender_.HasCallback() && sender_.Record().Value1 == password_request::Given) {
    std::string given = sender_.TextAt(0, MaximumPasswordLength);
    if (!given.empty()) {
      password = std::move(given);
    }
  }
  return flow;
}

}  // namespace engines::zip
