// How reports reach the owner: box (unless Unattended), OnMessage with 0 and
// the text, ErrCode and LastMessage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

struct ReceivedMessage {
  int ErrCode;
  std::string Message;
};

class ReportingTest : public testing::Test {
 protected:
  ReportingTest() {
    toolkit.SetApplicationTitle("Patch");
    toolkit.SetApplicationWindow(window);
    component = std::make_unique<TZipBuilder>(toolkit);
    component->OnMessage = [this](TZipBuilder& sender, int errCode, const std::string& message) {
      EXPECT_EQ(&sender, component.get());
      received.push_back({errCode, message});
    };
  }

  HeadlessToolkit toolkit;
  int ownerWindowToken = 0;
  WindowHandle window = &ownerWindowToken;
  std::unique_ptr<TZipBuilder> component;
  std::vector<ReceivedMessage> received;
};

TEST_F(ReportingTest, AttendedReportShowsBoxAndRaisesOnMessage) {
  component->ReportMessage(10102, "");

  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  const MessageBoxRequest& box = toolkit.MessageBoxesShown()[0];
  EXPECT_EQ(box.Text, "Error - no zip file specified!");
  EXPECT_EQ(box.Caption, "Patch");
  EXPECT_EQ(box.Buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(box.Owner, window);
  EXPECT_EQ(component->ErrCode(), 10102);
  EXPECT_EQ(component->LastMessage(), "Error - no zip file specified!");
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].ErrCode, 0);
  EXPECT_EQ(received[0].Message, "Error - no zip file specified!");
}

TEST_F(ReportingTest, UnattendedReportShowsNoBox) {
  component->SetUnattended(true);
  component->ReportMessage(10502);
  component->ReportZipError(EZipBuilder(11002, MessageDisplay::ShowBox));

  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[1].Message, "Zip file could not be opened");
  EXPECT_EQ(component->ErrCode(), 11002);
}

TEST_F(ReportingTest, ExtraTextIsAppended) {
  component->ReportMessage(10202, "\ndisk on fire");
  EXPECT_EQ(component->LastMessage(), "Unknown error in List() function\n\ndisk on fire");
  EXPECT_EQ(received.at(0).Message, component->LastMessage());
}

TEST_F(ReportingTest, MissingIdReportsTheFallbackWithTheId) {
  component->ReportMessage(12000);
  EXPECT_EQ(component->ErrCode(), 12000);
  EXPECT_EQ(component->LastMessage(), MissingMessageText(12000));
  EXPECT_TRUE(component->LastMessage().ends_with("12000"));
}

TEST_F(ReportingTest, ZipErrorWithDisplayFlagOffShowsNoBoxButReachesTheOwner) {
  component->ReportZipError(EZipBuilder(11007, MessageDisplay::Silent));
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  EXPECT_EQ(component->ErrCode(), 11007);
  EXPECT_EQ(component->LastMessage(), "User canceled operation");
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].ErrCode, 0);
}

TEST_F(ReportingTest, ZipErrorWithDisplayFlagShowsItsOwnText) {
  component->ReportZipError(EZipBuilder(11004, "Q:\\"));
  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  EXPECT_EQ(toolkit.MessageBoxesShown()[0].Text, "Drive Q:\\ is NOT defined");
  EXPECT_EQ(component->LastMessage(), "Drive Q:\\ is NOT defined");
}

TEST(Reporting, WithoutHandlerOrToolkitTheStateStillChanges) {
  TZipBuilder component;
  component.ReportMessage(10103);
  EXPECT_EQ(component.ErrCode(), 10103);
  EXPECT_EQ(component.LastMessage(), "Requested memory not available");
}

}  // namespace
}  // namespace zipbuilder
