// Finding the password that opens an encrypted entry.
//
// Tried in order: the command's password, then the password that last opened an
// entry in this command, then the caller is asked (action 8) while requests are
// left. The first request for an entry carries the command's PasswordReqCount in
// value 2, the next one that number less one, and so on; the caller's answer in
// value 2 can lower, never raise, the number left (so a handler cannot keep the
// engine asking for ever). An answer without a password ends the requests for that
// entry; an answer that clears the action code ("cancel all") ends them for the
// rest of the command. A password that fits is remembered for the entries that
// follow, as people expect of archives encrypted with one password.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engines/shared/traditional_encryption.h"
#include "engines/unzip/callback_channel.h"

namespace engines::unzip {

enum class PasswordResult { Opened, Missing, Wrong, Stopped };

class PasswordKeeper {
 public:
  PasswordKeeper(std::string commandPassword, std::uint32_t requestCount, CallbackChannel& channel);

  [[nodiscard]] PasswordResult Open(std::string_view entryName,
                                    std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                    std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher);

 private:
  [[nodiscard]] bool TryPassword(const std::string& password,
                                 std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                 std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher);

  std::string commandPassword_;
  std::optional<std::string> lastGood_;
  std::uint32_t requestCount_;
  bool askingStopped_ = false;
  CallbackChannel& channel_;
};

}  // namespace engines::unzip
