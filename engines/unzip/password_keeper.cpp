#include "engines/unzip/password_keeper.h"

#include <algorithm>

namespace engines::unzip {

PasswordKeeper::PasswordKeeper(std::string commandPassword, std::uint32_t requestCount, CallbackChannel& channel)
    : commandPassword_(std::move(commandPassword)), requestCount_(requestCount), channel_(channel) {}

bool PasswordKeeper::TryPassword(const std::string& password,
                                 std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                 std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher) {
  cipher = shared::OpenEncryptedEntry(password, header, checkByte);
  if (cipher) {
    lastGood_ = password;
  }
  return cipher.has_value();
}

PasswordResult PasswordKeeper::Open(std::string_view entryName,
                                    std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                    std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher) {
  bool triedOne = false;
  if (!commandPassword_.empty()) {
    triedOne = true;
    if (TryPassword(commandPassword_, header, checkByte, cipher)) {
      return PasswordResult::Opened;
    }
  }
  if (lastGood_ && *lastGood_ != commandPassword_) {
    triedOne = true;
    const std::string remembered = *lastGood_;
    if (TryPassword(remembered, header, checkByte, cipher)) {
      return PasswordResult::Opened;
    }
  }
  std::uint32_t requestsLeft = askingStopped_ ? 0 : requestCount_;
  while (requestsLeft > 0) {
    PasswordAnswer answer;
    if (channel_.AskPassword(entryName, requestsLeft, answer) == Flow::Stop) {
      return PasswordResult::Stopped;
    }
    askingStopped_ = askingStopped_ || answer.stopAsking;
    if (!answer.given || answer.password.empty()) {
      break;
    }
    triedOne = true;
    if (TryPassword(answer.password, header, checkByte, cipher)) {
      return PasswordResult::Opened;
    }
    const std::uint32_t allowed = askingStopped_ ? 0 : std::min(answer.requestsLeft, requestsLeft);
    requestsLeft = allowed == 0 ? 0 : allowed - 1;
  }
  return triedOne ? PasswordResult::Wrong : PasswordResult::Missing;
}

}  // namespace engines::unzip
