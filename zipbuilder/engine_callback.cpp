// EngineCallback: the engines' way back into the component during a command.
//
// It runs inside the engine's exec call, on the GUI thread, across a library
// boundary: nothing may be thrown out of it, and it must never write more into
// the record's text area than the component is promised to have (513 bytes;
// the engine owns the rest).
#include "zipbuilder/engine_callback.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engines/engine_protocol.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

[[nodiscard]] std::string_view ZeroTerminatedText(const char* text, std::size_t capacity) {
  return {text, static_cast<std::size_t>(std::find(text, text + capacity, '\0') - text)};
}

// Copies at most `maximumCharacters` of `text` and a terminating zero.
void WriteText(char* area, std::string_view text, std::size_t maximumCharacters) {
  const std::size_t count = std::min(text.size(), maximumCharacters);
  std::memcpy(area, text.data(), count);
  area[count] = '\0';
}

[[nodiscard]] constexpr bool MeansReason(UnZipSkipTypes type, engines::UnzipSkipReason reason) {
  return static_cast<int>(type) + 1 == static_cast<int>(reason);
}

static_assert(MeansReason(UnZipSkipTypes::skNotOverwritten, engines::UnzipSkipReason::NotOverwritten));
static_assert(MeansReason(UnZipSkipTypes::skNotPresent, engines::UnzipSkipReason::NotPresent));
static_assert(MeansReason(UnZipSkipTypes::skExistingNotOlder, engines::UnzipSkipReason::ExistingNotOlder));
static_assert(MeansReason(UnZipSkipTypes::skUnsafeName, engines::UnzipSkipReason::UnsafeName));
static_assert(MeansReason(UnZipSkipTypes::skUnsupportedMethod, engines::UnzipSkipReason::UnsupportedMethod));
static_assert(MeansReason(UnZipSkipTypes::skUnsupportedFeature, engines::UnzipSkipReason::UnsupportedFeature));
static_assert(MeansReason(UnZipSkipTypes::skPasswordMissing, engines::UnzipSkipReason::PasswordMissing));
static_assert(MeansReason(UnZipSkipTypes::skPasswordWrong, engines::UnzipSkipReason::PasswordWrong));
static_assert(MeansReason(UnZipSkipTypes::skCrcError, engines::UnzipSkipReason::CrcError));
static_assert(MeansReason(UnZipSkipTypes::skDataError, engines::UnzipSkipReason::DataError));
static_assert(MeansReason(UnZipSkipTypes::skWriteFailed, engines::UnzipSkipReason::WriteFailed));
static_assert(MeansReason(UnZipSkipTypes::skLinkOutsideBase, engines::UnzipSkipReason::LinkOutsideBase));
static_assert(MeansReason(UnZipSkipTypes::skNoOutputMemory, engines::UnzipSkipReason::NoOutputMemory));

// The only place where the engine's skip reason (value 2 of action 11) becomes
// the event's SkipType: the engine counts from 1, the event from 0. Only the low
// byte counts, and a reason of a newer engine passes through without a name.
[[nodiscard]] UnZipSkipTypes SkipTypeOfReason(std::intptr_t value2) {
  return static_cast<UnZipSkipTypes>(static_cast<std::uint8_t>((value2 & 0xFF) - 1));
}

}  // namespace

// Answers one callback record for its component. A friend of TZipBuilder: the
// engine's messages and totals land in run-time state that no setter exposes.
class EngineCallbackAnswers {
 public:
  EngineCallbackAnswers(TZipBuilder& component, engines::EngineCallbackRecord& record)
      : component_(component), record_(record) {}

  [[nodiscard]] std::int32_t Run() noexcept {
    try {
      fileName_ = SlashesToBackslashes(AreaText());
      RaiseProgress();
      Answer();
      component_.toolkit_.ProcessPendingMessages();
    } catch (...) {
      component_.engineCallbackFailed_ = true;
      return engines::callback_result::Stop;
    }
    return component_.cancel_ ? engines::callback_result::Stop : engines::callback_result::Continue;
  }

 private:
  [[nodiscard]] std::string_view AreaText() const {
    return ZeroTerminatedText(record_.Text, engines::EngineCallbackTextSize);
  }

  [[nodiscard]] std::string_view AreaComment() const {
    return ZeroTerminatedText(record_.Text + engines::EngineCallbackCommentOffset,
                              engines::EngineCallbackTextSize - engines::EngineCallbackCommentOffset);
  }

  [[nodiscard]] std::int32_t Value2AsInt32() const { return static_cast<std::int32_t>(record_.Value2); }

  void Progress(ProgressType type, const std::string& fileName, std::int32_t size) {
    component_.OnProgress(component_, type, fileName, size);
  }

  void RaiseProgress() {
    if (!component_.OnProgress) {
      return;
    }
    switch (record_.Action) {
      case engines::EngineAction::NewFile:
        return Progress(ProgressType::pgNewFile, fileName_, Value2AsInt32());
      case engines::EngineAction::BytesDone:
        return Progress(ProgressType::pgBytesDone, {}, Value2AsInt32());
      case engines::EngineAction::BatchEnd:
        return Progress(ProgressType::pgBatchEnd, {}, 0);
      case engines::EngineAction::FileCount:
        return Progress(ProgressType::pgFileCount, {}, Value2AsInt32());
      case engines::EngineAction::TotalSize:
        return Progress(ProgressType::pgTotalSize, {}, Value2AsInt32());
      default:
        return;
    }
  }

  void Answer() {
    switch (record_.Action) {
      case engines::EngineAction::Message:
        return AnswerMessage();
      case engines::EngineAction::TotalSize:
        component_.batchTotalSize_ = Value2AsInt32();
        return;
      case engines::EngineAction::NewName:
        return AnswerNewName();
      case engines::EngineAction::PasswordRequest:
        return AnswerPasswordRequest();
      case engines::EngineAction::CrcError:
        return AnswerCrcError();
      case engines::EngineAction::OverwriteQuestion:
        return AnswerOverwriteQuestion();
      case engines::EngineAction::FileSkipped:
        return AnswerFileSkipped();
      case engines::EngineAction::FileComment:
        return AnswerFileComment();
      case engines::EngineAction::OutputMemoryRequest:
        return AnswerOutputMemoryRequest();
      default:
        return;  // progress only, or a code this component does not know
    }
  }

  void NoteEngineError() {
    if (record_.Value1 == 0) {
      return;
    }
    component_.errCode_ = engines::ErrorCodeOfErrorValue(record_.Value1);
    component_.engineErrCode_ = record_.Value1;
  }

  // Engine messages are no reports: no box, and OnMessage gets the engine's value.
  void AnswerMessage() {
    NoteEngineError();
    component_.lastMessage_ = fileName_;
    if (component_.OnMessage) {
      component_.OnMessage(component_, record_.Value1, fileName_);
    }
  }

  void AnswerNewName() {
    if (!component_.OnSetNewName) {
      return;
    }
    std::string name(AreaText());
    bool isChanged = false;
    component_.OnSetNewName(component_, name, isChanged);
    if (isChanged) {
      WriteText(record_.Text, name, engines::EngineCallbackMaximumAnswer);
    }
    record_.Value1 = isChanged ? engines::new_name::Changed : engines::new_name::Unchanged;
  }

  void AnswerPasswordRequest() {
    const bool forNewPassword = (record_.Value1 & engines::password_request::NewPasswordBit) != 0;
    const PasswordRequest request{
        .IsZipAction = record_.IsZip != 0,
        .Kind = forNewPassword ? PasswordKind::New : PasswordKind::Existing,
        .RepeatCount = static_cast<std::uint32_t>(record_.Value2),
        .ForFile = fileName_,
    };
    PasswordDecision decision = component_.AnswerPasswordRequest(request);
    if (decision.Password.empty()) {
      record_.Value1 = engines::password_request::NotGiven;
      decision.RepeatCount = 0;
    } else {
      WriteText(record_.Text, decision.Password, engines::MaximumPasswordLength);
      record_.Value1 = engines::password_request::Given;
    }
    record_.Value2 = std::min(decision.RepeatCount, engines::password_request::HighestRepeatCount);
    if (component_.lastPasswordChoice_ == static_cast<int>(DialogAnswer::CancelAll)) {
      record_.Action = engines::EngineAction::None;
    }
    if (component_.lastPasswordChoice_ == static_cast<int>(DialogAnswer::Abort)) {
      component_.cancel_ = true;
    }
  }

  void AnswerCrcError() {
    if (!component_.OnCRC32Error) {
      record_.Value1 = engines::crc_error::NobodyAsked;
      return;
    }
    bool doExtract = true;
    component_.OnCRC32Error(component_, fileName_, static_cast<std::uint32_t>(record_.Value1),
                            static_cast<std::uint32_t>(record_.Value2), doExtract);
    record_.Value1 = doExtract ? engines::crc_error::Keep : engines::crc_error::Drop;
  }

  void AnswerOverwriteQuestion() {
    if (!component_.OnExtractOverwrite) {
      return;
    }
    const auto question = static_cast<std::uint32_t>(record_.Value1);
    bool doOverwrite = record_.Value2 != engines::overwrite_question::Keep;
    const bool isOlder = (question & engines::overwrite_question::OlderFileBit) != 0;
    const auto directoryIndex = static_cast<int>(question & engines::overwrite_question::DirectoryIndexMask);
    component_.OnExtractOverwrite(component_, fileName_, isOlder, doOverwrite, directoryIndex);
    record_.Value2 = doOverwrite ? engines::overwrite_question::Replace : engines::overwrite_question::Keep;
  }

  void AnswerFileSkipped() {
    NoteEngineError();
    if (!component_.OnExtractSkipped) {
      return;
    }
    component_.OnExtractSkipped(component_, fileName_, SkipTypeOfReason(record_.Value2), record_.Value1);
  }

  void AnswerFileComment() {
    if (!component_.OnFileComment) {
      return;
    }
    std::string comment(AreaComment());
    bool isChanged = false;
    component_.OnFileComment(component_, fileName_, comment, isChanged);
    if (isChanged && !comment.empty()) {
      WriteText(record_.Text, comment, engines::EngineCallbackMaximumComment);
    } else {
      record_.Text[0] = '\0';
    }
    record_.Value1 = isChanged ? engines::file_comment::Changed : engines::file_comment::Unchanged;
    record_.Value2 = static_cast<std::intptr_t>(std::min(comment.size(), engines::EngineCallbackMaximumComment));
  }

  // Memory sizes cross the engine interface as 32-bit numbers; more cannot be meant.
  void AnswerOutputMemoryRequest() {
    TZipStream& stream = component_.ZipStream();
    const std::intptr_t requested = record_.Value2;
    const bool expressible = requested >= 0 && static_cast<std::uintmax_t>(requested) <= UINT32_MAX;
    if (!expressible || !stream.SetSize(static_cast<std::size_t>(requested))) {
      record_.Value1 = engines::output_memory_request::NotAvailable;
      record_.Value2 = 0;
      return;
    }
    record_.Value2 = reinterpret_cast<std::intptr_t>(stream.Memory());
  }

  TZipBuilder& component_;
  engines::EngineCallbackRecord& record_;
  std::string fileName_;
};

std::int32_t ENGINE_CALL EngineCallback(engines::EngineCallbackRecord* record) noexcept {
  if (record == nullptr || record->Caller == nullptr) {
    return engines::callback_result::Stop;
  }
  return EngineCallbackAnswers(*static_cast<TZipBuilder*>(record->Caller), *record).Run();
}

}  // namespace zipbuilder
