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
//
// The check byte of the encryption header lets one wrong password in 256 through.
// When a password from a request, or one remembered from an earlier entry, opens
// an entry whose data then proves wrong, the decoder calls MayBeWrongPassword and
// OpenAgain: the caller is asked again (the request counts as any other), and the
// damage is reported only when no further password can be had. The command's own
// password is trusted: its entry is reported damaged at once.
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

  // True when the data of the entry last opened failed to decode and the password
  // that opened it may be the cause, with another one to be asked for.
  [[nodiscard]] bool MayBeWrongPassword() const;

  // Forgets the password that opened the entry last opened and asks for another.
  [[nodiscard]] PasswordResult OpenAgain(std::string_view entryName,
                                         std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                         std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher);

 private:
  enum class Source { Command, Remembered, Request };
  // Whether any password was tried on the entry: Wrong rather than Missing.
  enum class PasswordsTried { None, Some };

  [[nodiscard]] bool TryPassword(const std::string& password, Source source,
                                 std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                 std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher);
  [[nodiscard]] PasswordResult Ask(std::string_view entryName,
                                   std::span<const std::byte, shared::EncryptionHeaderSize> header,
                                   std::uint8_t checkByte, std::optional<shared::TraditionalCipher>& cipher,
                                   PasswordsTried tried);

  std::string commandPassword_;
  std::optional<std::string> lastGood_;
  std::optional<std::string> goodBefore_;  // what lastGood_ was before the entry last opened
  Source openedWith_ = Source::Command;
  std::uint32_t requestCount_;
  std::uint32_t requestsLeft_ = 0;  // for the entry being opened
  bool askingStopped_ = false;
  CallbackChannel& channel_;
};

}  // namespace engines::unzip
