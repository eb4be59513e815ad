#include "engines/unzip/password_keeper.h"

#include <algorithm>

namespace engines::unzip {

PasswordKeeper::PasswordKeeper(std::string commandPassword, std::uint32_t requestCount, CallbackChannel& channel)
    : commandPassword_(std::move(commandPassword)), requestCount_(requestCount), channel_(channel) {}

bool PasswordKeeper::TryPassword(const std::string& password, Source source,
                                 std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                 std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher) {
  cipher = shared::OpenEncryptedEntry(password, header, checkByte);
  if (cipher) {
    goodBefore_ = lastGood_;
    lastGood_ = password;
    openedWith_ = source;
  }
  return cipher.has_value();
}

PasswordResult PasswordKeeper::Open(std::string_view entryName,
                                    std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                    std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher) {
  requestsLeft_ = askingStopped_ ? 0 : requestCount_;
  PasswordsTried tried = PasswordsTried::None;
  if (!commandPassword_.empty()) {
    tried = PasswordsTried::Some;
    if (TryPassword(commandPassword_, Source::Command, header, checkByte, cipher)) {
      return PasswordResult::Opened;
    }
  }
  if (lastGood_ && *lastGood_ != commandPassword_) {
    tried = PasswordsTried::Some;
    const std::string remembered = *lastGood_;
    if (TryPassword(remembered, Source::Remembered, header, checkByte, cipher)) {
      return PasswordResult::Opened;
    }
  }
  return Ask(entryName, header, checkByte, cipher, tried);
}

bool PasswordKeeper::MayBeWrongPassword() const {
  return openedWith_ != Source::Command && !askingStopped_ && requestsLeft_ > 0;
}

PasswordResult PasswordKeeper::OpenAgain(std::string_view entryName,
                                         std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                         std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher) {
  lastGood_ = goodBefore_;
  cipher.reset();
  return Ask(entryName, header, checkByte, cipher, PasswordsTried::Some);
}

PasswordResult PasswordKeeper::Ask(std::string_view entryName,
                                   std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                   std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher,
                                   PasswordsTried tried) {
  while (requestsLeft_ > 0) {
    PasswordAnswer answer;
    if (channel_.AskPassword(entryName, requestsLeft_, answer) == Flow::Stop) {
      return PasswordResult::Stopped;
    }
    askingStopped_ = askingStopped_ || answer.stopAsking;
    if (!answer.given || answer.password.empty()) {
      break;
    }
    tried = PasswordsTried::Some;
    const std::uint32_t allowed = askingStopped_ ? 0 : std::min(answer.requestsLeft, requestsLeft_);
    requestsLeft_ = allowed == 0 ? 0 : allowed - 1;
    if (TryPassword(answer.password, Source::Request, header, checkByte, cipher)) {
      return PasswordResult::Opened;
    }
  }
  return tried == PasswordsTried::Some ? PasswordResult::Wrong : PasswordResult::Missing;
}

}  // namespace engines::unzip
