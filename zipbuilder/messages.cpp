// Reporting: every message of the component reaches the owner through ErrCode,
// LastMessage and OnMessage, and through a box unless the component is Unattended.
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

void TZipBuilder::ShowReportBox(const std::string& text) {
  MessageBoxRequest box;
  box.Text = text;
  box.Caption = toolkit_.ApplicationTitle();
  box.Buttons = MessageBoxButtons::Ok;
  box.Owner = ownerWindow_;
  // A report box has one button: whatever it answers, even "cannot show", changes nothing.
  static_cast<void>(toolkit_.ShowMessageBox(box));
}

void TZipBuilder::ReportMessage(int id, std::string_view extra) {
  std::string text = MessageTextOrMissing(id);
  text += extra;
  errCode_ = id;
  lastMessage_ = text;
  if (!unattended_) {
    ShowReportBox(text);
  }
  if (OnMessage) {
    OnMessage(*this, 0, text);
  }
}

void TZipBuilder::ReportZipError(const EZipBuilder& error) {
  if (error.Display() == MessageDisplay::ShowBox && !unattended_) {
    ShowReportBox(error.Message());
  }
  errCode_ = error.MessageId();
  lastMessage_ = error.Message();
  if (OnMessage) {
    OnMessage(*this, 0, error.Message());
  }
}

}  // namespace zipbuilder
