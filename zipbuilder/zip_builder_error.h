// The exceptions of the component. An operation raises EZipBuilder deep inside
// its work and catches it at its own end, where ReportZipError reports it; no
// EZipBuilder leaves an operation towards its caller.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace zipbuilder {

// The class library's base exception: a message text and a help context.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message, int helpContext = 0);

  [[nodiscard]] const std::string& Message() const { return message_; }
  [[nodiscard]] int HelpContext() const { return helpContext_; }
  [[nodiscard]] const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
  int helpContext_;
};

// Whether a reported error is shown in a message box (on attended components).
enum class MessageDisplay : std::uint8_t { Silent, ShowBox };

class EZipBuilder : public Exception {
 public:
  // The table's text for `id`, or the missing-text fallback with the ID.
  EZipBuilder(int id, MessageDisplay display);
  // The table's text for `id` with `detail` on a line of its own behind it.
  EZipBuilder(int id, MessageDisplay display, std::string_view detail);
  // The table's text for `id` with its placeholders filled by the values in
  // order; the missing-text fallback, unformatted, when the table has none.
  // These always show their message.
  EZipBuilder(int id, std::int64_t number);
  EZipBuilder(int id, std::string_view text);
  EZipBuilder(int id, std::string_view firstText, std::string_view secondText);

  [[nodiscard]] MessageDisplay Display() const { return display_; }
  [[nodiscard]] int MessageId() const { return messageId_; }

 private:
  MessageDisplay display_;
  int messageId_;
};

}  // namespace zipbuilder
