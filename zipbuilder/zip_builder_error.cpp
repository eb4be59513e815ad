#include "zipbuilder/zip_builder_error.h"

#include <array>

#include "zipbuilder/message_format.h"
#include "zipbuilder/message_table.h"

namespace zipbuilder {

namespace {

// A missing text stays unformatted: the fallback names the ID, and its digits
// must not be mistaken for a filled placeholder.
std::string FormattedMessage(int id, std::span<const MessageValue> values) {
  const std::optional<std::string_view> text = FindMessageText(id);
  if (!text || text->empty()) {
    return MissingMessageText(id);
  }
  return FormatMessageText(*text, values);
}

}  // namespace

Exception::Exception(std::string message, int helpContext)
    : message_(std::move(message)), helpContext_(helpContext) {}

EZipBuilder::EZipBuilder(int id, MessageDisplay display)
    : Exception(MessageTextOrMissing(id)), display_(display), messageId_(id) {}

namespace {

[[nodiscard]] std::string WithDetail(std::string text, std::string_view detail) {
  if (!text.empty() && text.back() != '\n') {
    text += '\n';
  }
  return text + std::string(detail);
}

}  // namespace

EZipBuilder::EZipBuilder(int id, MessageDisplay display, std::string_view detail)
    : Exception(WithDetail(MessageTextOrMissing(id), detail)), display_(display), messageId_(id) {}

EZipBuilder::EZipBuilder(int id, std::int64_t number)
    : Exception(FormattedMessage(id, std::array{MessageValue{number}})),
      display_(MessageDisplay::ShowBox),
      messageId_(id) {}

EZipBuilder::EZipBuilder(int id, std::string_view text)
    : Exception(FormattedMessage(id, std::array{MessageValue{std::string(text)}})),
      display_(MessageDisplay::ShowBox),
      messageId_(id) {}

EZipBuilder::EZipBuilder(int id, std::string_view firstText, std::string_view secondText)
    : Exception(FormattedMessage(id, std::array{MessageValue{std::string(firstText)},
                                                MessageValue{std::string(secondText)}})),
      display_(MessageDisplay::ShowBox),
      messageId_(id) {}

}  // namespace zipbuilder
