// The "Datum" dialog through the frame's "Set Datum" command: what choosing a row and an option
// shows and enables, what OK sends, and what a field that does not parse does.
#include "geodesy/DatumForm.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "ids/CommandIds.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"

namespace orv {
namespace {

using D = DatumForm;

class DatumFormTest : public ::testing::Test {
 protected:
  DatumFormTest() {
    frame.config().SetMainPortName("COM1");
    frame.ChangeMainBaud(9600);
    port().sent.clear();
  }
  test::FakePort& port() { return *ports[0]; }
  // Runs "Set Datum" with `user` playing the dialog; returns whether OK closed it.
  void Run(std::function<bool(Form&)> user) {
    desk.formDriver = std::move(user);
    commands.OnCommand(cmd::kSetDatum);
  }
  static bool Parameters(const Form& f, bool enabled) {
    for (int id : {D::kCountries, D::kEllipse, D::kSemiMajor, D::kInverseFlattening, D::kDx, D::kDy, D::kDz}) {
      if (f.Enabled(id) != enabled) return false;
    }
    return true;
  }

  test::FakeDesktop desk;
  std::vector<test::FakePort*> ports;
  CMainFrame frame{desk, [this](StreamDecoder* sink) {
                     auto p = std::make_unique<test::FakePort>(sink);
                     ports.push_back(p.get());
                     return p;
                   }};
  test::FakeShellHost host;
  FrameCommands commands{frame, host};
};

TEST_F(DatumFormTest, TokyoIsShownAndSentAsTheTableHasIt) {
  Run([&](Form& f) {
    EXPECT_EQ(f.caption(), "Datum");
    EXPECT_EQ(f.Selected(D::kName), 0);
    EXPECT_EQ(f.Label(D::kNumber), "#  0");
    EXPECT_EQ(f.Text(D::kEllipse), "WGS-84");
    EXPECT_TRUE(Parameters(f, false));
    f.Select(D::kName, 61);
    EXPECT_EQ(f.Label(D::kNumber), "# 61");
    EXPECT_EQ(f.Text(D::kCountries), "Japan");
    EXPECT_EQ(f.Text(D::kEllipse), "Bessel_1841");
    EXPECT_EQ(f.Text(D::kSemiMajor), "6377397.155");
    EXPECT_EQ(f.Text(D::kInverseFlattening), "299.1528128");
    EXPECT_EQ(f.Text(D::kDx) + " " + f.Text(D::kDy) + " " + f.Text(D::kDz), "148 -507 -685");
    EXPECT_TRUE(Parameters(f, false));
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  });
  ASSERT_EQ(port().sent.size(), 1u);
  EXPECT_EQ(port().sent[0], test::Hex("0158A71E 003D9400 05FE53FD 1F85EB49 ED535841 90A6D5EB 71B27240 "
                                      "00000000 0000BE0C"));
}

TEST_F(DatumFormTest, AFieldThatIsNoNumberKeepsTheDialogOpenAndCancelSendsNothing) {
  Run([&](Form& f) {
    f.Select(D::kOptions, 2);  // "Select and define Datum": User Defined 1, editable
    EXPECT_EQ(f.Selected(D::kName), 1);
    EXPECT_TRUE(Parameters(f, true));
    f.SetText(D::kSemiMajor, "6378x45");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    EXPECT_EQ(desk.boxes.back().text, "Please enter a number.");
    f.SetText(D::kSemiMajor, "0");  // a number, but no Earth
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    f.SetText(D::kDx, "40000");  // beyond a signed 16-bit shift
    f.SetText(D::kSemiMajor, "6378245");
    EXPECT_EQ(f.Press(kFormOk, &desk), FormAction::None);
    EXPECT_EQ(f.Press(kFormCancel, &desk), FormAction::Cancel);
    return false;
  });
  EXPECT_TRUE(port().sent.empty());
  EXPECT_EQ(desk.boxes.size(), 3u);
}

TEST_F(DatumFormTest, UserDatumTwoComesBackAndSelectDatumReturnsToWgs84) {
  Run([&](Form& f) {
    f.Select(D::kOptions, 1);
    f.Select(D::kName, 2);
    EXPECT_TRUE(Parameters(f, true));
    f.SetText(D::kCountries, "Somewhere");
    f.SetText(D::kEllipse, "Krassovsky");
    f.SetText(D::kSemiMajor, "6378245");
    f.SetText(D::kInverseFlattening, "298.3");
    f.SetText(D::kDx, "-24");
    return f.Press(kFormOk, &desk) == FormAction::Ok;
  });
  ASSERT_EQ(port().sent.size(), 1u);
  EXPECT_EQ(port().sent[0][4], 1);  // option "Define Datum"
  EXPECT_EQ(port().sent[0][5], 2);  // User Defined 2

  Run([&](Form& f) {
    f.Select(D::kName, 2);
    EXPECT_EQ(f.Text(D::kCountries), "Somewhere");
    EXPECT_EQ(f.Text(D::kEllipse), "Krassovsky");
    EXPECT_EQ(f.Text(D::kSemiMajor), "6378245");
    EXPECT_EQ(f.Text(D::kDx), "-24");
    f.Select(D::kOptions, 0);
    EXPECT_EQ(f.Selected(D::kName), 0);
    EXPECT_EQ(f.Text(D::kCountries), "Global definition");
    EXPECT_EQ(f.Text(D::kSemiMajor), "6378137");
    EXPECT_EQ(f.Text(D::kInverseFlattening), "298.257223563");
    EXPECT_TRUE(Parameters(f, false));
    return false;
  });
  EXPECT_EQ(port().sent.size(), 1u);
}

}  // namespace
}  // namespace orv
