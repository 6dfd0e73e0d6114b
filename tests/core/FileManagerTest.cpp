// The file manager: the request the "File Operation" dialog builds (actions, boxes, enabling
// rules, limits, the settings it keeps), the confirmation before Delete, and the window that
// shows the receiver's answer with its popup.
#include <gtest/gtest.h>

#include "commands/RequestForms.h"
#include "ids/CommandIds.h"
#include "maintenance/FileManager.h"
#include "protocol/FrameEncoder.h"
#include "support/FakeDesktop.h"
#include "support/RecordingChannel.h"
#include "support/RecordingPageView.h"
#include "windows/PageText.h"

namespace orv {
namespace {

using D = CFileOperationDialog;

std::string At(int x, int y, const std::string& text) {
  return "text " + std::to_string(x) + " " + std::to_string(y) + " " + text;
}

// The texts drawn at column x, top to bottom, without their position.
std::vector<std::string> TextsAtX(const test::RecordingCanvas& canvas, int x) {
  std::vector<std::string> out;
  const std::string prefix = "text " + std::to_string(x) + " ";
  for (const std::string& c : canvas.Texts()) {
    if (c.rfind(prefix, 0) != 0) continue;
    const std::size_t space = c.find(' ', prefix.size());
    out.push_back(c.substr(space + 1));
  }
  return out;
}

class FileOperationTest : public ::testing::Test {
 protected:
  void SetField(int attribute, const std::string& text) { dialog.form().SetText(D::kFirstField + attribute, text); }
  void Tick(int attribute, bool on = true) { dialog.form().SetChecked(D::kFirstBox + attribute, on); }
  FileManagerRequest Ok() {
    EXPECT_EQ(dialog.form().Press(kFormOk), FormAction::Ok);
    EXPECT_TRUE(dialog.accepted().has_value());
    return dialog.accepted().value_or(FileManagerRequest{});
  }

  Configuration settings;
  D dialog{settings};
};

TEST_F(FileOperationTest, OpensOnCreateWithNoBoxTickedAndOnlyTickedFieldsEditable) {
  Form& f = dialog.form();
  EXPECT_EQ(f.caption(), "File Operation");
  EXPECT_EQ(f.Selected(D::kAction), fileaction::kCreate);
  for (int a = 0; a < kAttrCount; ++a) {
    EXPECT_FALSE(f.Checked(D::kFirstBox + a)) << a;
    EXPECT_TRUE(f.Enabled(D::kFirstBox + a)) << a;
    EXPECT_FALSE(f.Enabled(D::kFirstField + a)) << a;
  }
  Tick(kAttrPointCode);
  EXPECT_TRUE(f.Enabled(D::kFirstField + kAttrPointCode));
  // Close and Delete take a file name only.
  f.Select(D::kAction, fileaction::kDelete);
  EXPECT_TRUE(f.Enabled(D::kFirstBox + kAttrFileName));
  for (int a = kAttrPointName; a < kAttrCount; ++a) EXPECT_FALSE(f.Enabled(D::kFirstBox + a)) << a;
  EXPECT_FALSE(f.Enabled(D::kFirstField + kAttrPointCode));
  EXPECT_TRUE(f.Checked(D::kFirstBox + kAttrPointCode));  // stays ticked while disabled
  f.Select(D::kAction, fileaction::kModify);
  EXPECT_TRUE(f.Enabled(D::kFirstField + kAttrPointCode));
}

TEST_F(FileOperationTest, ModifyWithPointCodeAndOperatorNameSendsMask0x12) {
  dialog.form().Select(D::kAction, fileaction::kModify);
  Tick(kAttrPointCode);
  Tick(kAttrOperatorName);
  SetField(kAttrPointCode, "PC-7");
  SetField(kAttrOperatorName, "JRB");
  const FileManagerRequest r = Ok();
  EXPECT_EQ(r[0], fileaction::kModify);
  EXPECT_EQ(r[47], 0x12);
  EXPECT_EQ(std::string(r.begin() + 25, r.begin() + 29), "PC-7");
  // A 3-character operator name fills its field: no terminator after it.
  EXPECT_EQ(std::string(r.begin() + 44, r.begin() + 47), "JRB");
  // Attributes not ticked go as zeros, whatever their fields hold.
  for (std::size_t i = 1; i < 25; ++i) EXPECT_EQ(r[i], 0) << i;
  EXPECT_EQ(r[41], 0);
  EXPECT_EQ(r[43], 0);
}

TEST_F(FileOperationTest, DeleteSendsOnlyTheNameEvenWithBoxesTickedUnderCreate) {
  Tick(kAttrFileName);
  Tick(kAttrPointName);
  Tick(kAttrAntennaHeight);
  SetField(kAttrFileName, "SURVEY01");
  SetField(kAttrAntennaHeight, "150");
  dialog.form().Select(D::kAction, fileaction::kDelete);
  const FileManagerRequest r = Ok();
  EXPECT_EQ(r[0], fileaction::kDelete);
  EXPECT_EQ(std::string(r.begin() + 1, r.begin() + 9), "SURVEY01");
  for (std::size_t i = 9; i < r.size(); ++i) EXPECT_EQ(r[i], 0) << i;
}

TEST_F(FileOperationTest, CreateCarriesEveryTickedAttributeAtItsOffset) {
  for (int a = 0; a < kAttrCount; ++a) Tick(a);
  SetField(kAttrFileName, "F1");
  SetField(kAttrPointName, "ABCDEFGHIJKLMNOP");  // 16 characters fill the field
  SetField(kAttrPointCode, "CODE");
  SetField(kAttrAntennaHeight, "-1234");
  SetField(kAttrAntennaMethod, "255");
  SetField(kAttrOperatorName, "AB");
  const FileManagerRequest r = Ok();
  EXPECT_EQ(r[0], fileaction::kCreate);
  EXPECT_EQ(std::string(r.begin() + 9, r.begin() + 25), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(r[25], 'C');
  EXPECT_EQ(static_cast<int16_t>(r[41] | (r[42] << 8)), -1234);
  EXPECT_EQ(r[43], 255);
  EXPECT_EQ(r[44], 'A');
  EXPECT_EQ(r[46], 0);
  EXPECT_EQ(r[47], 0);  // the mask is Modify's alone
}

TEST_F(FileOperationTest, FieldsKeepToTheirLengthsAndTypes) {
  for (int a = 0; a < kAttrCount; ++a) Tick(a);
  SetField(kAttrFileName, "TOOLONGNAME");
  EXPECT_EQ(dialog.form().Text(D::kFirstField + kAttrFileName), "TOOLONGN");
  SetField(kAttrOperatorName, "ABCD");
  EXPECT_EQ(dialog.form().Text(D::kFirstField + kAttrOperatorName), "ABC");
  test::FakeDesktop boxes;
  SetField(kAttrAntennaHeight, "32768");
  EXPECT_EQ(dialog.form().Press(kFormOk, &boxes), FormAction::None);
  SetField(kAttrAntennaHeight, "-32768");
  SetField(kAttrAntennaMethod, "256");
  EXPECT_EQ(dialog.form().Press(kFormOk, &boxes), FormAction::None);
  EXPECT_EQ(boxes.boxes.size(), 2u);
  EXPECT_FALSE(dialog.accepted().has_value());
  SetField(kAttrAntennaMethod, "0");
  EXPECT_EQ(dialog.form().Press(kFormOk, &boxes), FormAction::Ok);
}

TEST_F(FileOperationTest, TheValuesGoBackToTheSettingsAndOpenTheNextDialog) {
  SetField(kAttrFileName, "KEEP");
  SetField(kAttrPointName, "Point A");
  SetField(kAttrPointCode, "Code B");
  SetField(kAttrAntennaHeight, "-20");
  SetField(kAttrOperatorName, "OPR");
  Ok();
  EXPECT_EQ(settings.fileManagerFileName(), "KEEP");
  EXPECT_EQ(settings.fileManagerOperatorName(), "OPR");
  D next(settings);
  EXPECT_EQ(next.form().Text(D::kFirstField + kAttrFileName), "KEEP");
  EXPECT_EQ(next.form().Text(D::kFirstField + kAttrPointName), "Point A");
  EXPECT_EQ(next.form().Text(D::kFirstField + kAttrPointCode), "Code B");
  EXPECT_EQ(next.form().Text(D::kFirstField + kAttrAntennaHeight), "-20");
  EXPECT_EQ(next.form().Text(D::kFirstField + kAttrOperatorName), "OPR");
}

TEST(FileOperation, DeleteGoesOutOnlyAfterTheConfirmation) {
  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  Configuration settings;
  test::FakeDesktop desk;
  std::vector<std::string> captions;
  bool confirm = false;
  desk.formDriver = [&](Form& f) {
    captions.push_back(f.caption() + "|" + f.Label(kConfirmText));
    if (f.field(D::kAction) == nullptr) return confirm;
    f.Select(D::kAction, fileaction::kDelete);
    f.SetChecked(D::kFirstBox + kAttrFileName, true);
    f.SetText(D::kFirstField + kAttrFileName, "OLD");
    return f.Press(kFormOk) == FormAction::Ok;
  };
  RunFileOperation(desk, settings, encoder);
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[1], "File Operation|Delete the file \"OLD\" from the receiver?");
  EXPECT_TRUE(port.sent.empty());
  confirm = true;
  RunFileOperation(desk, settings, encoder);
  ASSERT_EQ(port.sent.size(), 1u);
  const std::vector<uint8_t>& frame = port.sent[0];
  ASSERT_EQ(frame.size(), 60u);
  EXPECT_EQ(frame[1], 70);
  EXPECT_EQ(frame[4], 1);
  EXPECT_EQ(frame[5], fileaction::kDelete);
  EXPECT_EQ(std::string(frame.begin() + 6, frame.begin() + 9), "OLD");
}

class FileManagerWindowTest : public ::testing::Test {
 protected:
  FileManagerWindowTest() : page(context()), view(page) { page.OnCreate("Quenmarsh File Manager Window - Msg 70, Sub ID 1"); }
  PageContext context() {
    PageContext c;
    c.encoder = &encoder;
    c.frame = &posted;
    return c;
  }
  void Show(uint8_t action, uint8_t result, uint8_t active) {
    std::vector<uint8_t> d(53, 0);
    d[0] = action;
    d[1] = result;
    d[2] = active;
    const std::string name = "FILE0001", point = "NORTH PILLAR", op = "ABC";
    std::copy(name.begin(), name.end(), d.begin() + 3);
    std::copy(point.begin(), point.end(), d.begin() + 11);
    d[43] = 0x18;  // antenna height -1000
    d[44] = 0xFC;
    d[45] = 7;
    std::copy(op.begin(), op.end(), d.begin() + 46);
    record.Assign(d);
    page.ShowRecord(record);
  }
  struct Posted : CommandSink {
    void PostCommand(int id) override { commands.push_back(id); }
    std::vector<int> commands;
  } posted;
  test::RecordingChannel port;
  FrameEncoder encoder{&port};
  FileManagerRecord record;
  CQuenmarshFileManagerWnd page;
  test::RecordingPageView view;
};

TEST_F(FileManagerWindowTest, TheAnswerIsDrawnAt155UnderItsLabels) {
  Show(fileaction::kClose, 6, 0);
  view.Repaint();
  EXPECT_TRUE(view.screen.Has(At(16, 15, "File action:")));
  EXPECT_TRUE(view.screen.Has(At(16, 150, "Reserved:")));
  const std::vector<std::string> texts = TextsAtX(view.screen, 155);
  ASSERT_GE(texts.size(), 9u);
  EXPECT_EQ(texts[0], PadRight("Close", 20));
  EXPECT_EQ(texts[1], PadRight("No Active file", 20));
  EXPECT_EQ(texts[2], PadRight("NO", 20));
  EXPECT_EQ(texts[3], PadRight("FILE0001", 20));
  EXPECT_EQ(texts[4], PadRight("NORTH PILLAR", 20));
  EXPECT_EQ(texts[6], PadRight("-1000", 20));
  EXPECT_EQ(texts[7], PadRight("7", 20));
  EXPECT_EQ(texts[8], PadRight("ABC", 20));
  Show(6, 9, 1);  // an action with no name and a code outside the table
  view.Repaint();
  const std::vector<std::string> odd = TextsAtX(view.screen, 155);
  ASSERT_GE(odd.size(), 3u);
  EXPECT_EQ(odd[0], PadRight("6", 20));
  EXPECT_EQ(odd[1], PadRight("Bad error code", 20));
  EXPECT_EQ(odd[2], PadRight("YES", 20));
}

TEST_F(FileManagerWindowTest, PopupClearsAndAsksForTheFileInfoOrTheDialog) {
  const std::vector<PopupItem> items = page.PopupItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "File operation");
  EXPECT_EQ(items[1].text, "File info");
  EXPECT_EQ(items[2].text, "Clear Data");
  Show(0, 0, 1);
  ASSERT_TRUE(page.OnCommand(CQuenmarshFileManagerWnd::kFileInfo));
  EXPECT_FALSE(page.hasRecord());
  ASSERT_EQ(port.sent.size(), 1u);
  std::vector<uint8_t> expected(53, 0);
  expected[0] = 4;
  EXPECT_EQ(std::vector<uint8_t>(port.sent[0].begin() + 5, port.sent[0].end() - 2), expected);
  Show(0, 0, 1);
  ASSERT_TRUE(page.OnCommand(CQuenmarshFileManagerWnd::kFileOperation));
  EXPECT_FALSE(page.hasRecord());
  EXPECT_EQ(posted.commands, std::vector<int>{cmd::kFileManagerDialog});
}

}  // namespace
}  // namespace orv
