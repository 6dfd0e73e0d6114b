// The datum tables and what the Datum dialog fills, refuses, keeps and sends as message 88.
#include "geodesy/DatumSetup.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "geodesy/DatumTables.h"
#include "ids/CommandIds.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"
#include "support/RecordingChannel.h"

namespace orv {
namespace {

Configuration Defaults() {
  Configuration c;
  c.SetDefaults();
  return c;
}

TEST(DatumTablesTest, EveryBuiltInDatumHasAnEllipsoid) {
  ASSERT_EQ(DatumTable().size(), 64u);
  ASSERT_EQ(EllipsoidTable().size(), 16u);
  for (int n = 0; n < kDatumCount; ++n) {
    const Datum& d = *DatumByNumber(n);
    EXPECT_EQ(d.ellipsoid == 0, IsUserDefinedDatum(n)) << n;
    if (!IsUserDefinedDatum(n)) {
      EXPECT_NE(EllipsoidByNumber(d.ellipsoid), nullptr) << n;
    }
  }
  EXPECT_EQ(DatumByNumber(64), nullptr);
  EXPECT_EQ(EllipsoidByNumber(17), nullptr);
  // Every value reads back from its edit box as the value itself, so a row sent as the
  // fields show it is the table's row to the bit.
  for (const Ellipsoid& e : EllipsoidTable()) {
    EXPECT_EQ(std::strtod(DatumRealText(e.semiMajorAxis).c_str(), nullptr), e.semiMajorAxis) << e.name;
    EXPECT_EQ(std::strtod(DatumRealText(e.inverseFlattening).c_str(), nullptr), e.inverseFlattening) << e.name;
  }
  EXPECT_EQ(DatumRealText(6377397.155), "6377397.155");
  EXPECT_EQ(DatumRealText(298.257223563), "298.257223563");
}

TEST(DatumSetupTest, RowsFillTheFieldsFromTheTables) {
  const Configuration c = Defaults();
  const auto tokyo = DatumRowFields(61, c);
  ASSERT_TRUE(tokyo.has_value());
  EXPECT_EQ(tokyo->name, "Tokyo");
  EXPECT_EQ(tokyo->countries, "Japan");
  EXPECT_EQ(tokyo->ellipsoidName, "Bessel_1841");
  EXPECT_EQ(tokyo->semiMajorAxis, 6377397.155);
  EXPECT_EQ(tokyo->inverseFlattening, 299.1528128);
  EXPECT_EQ((std::array{tokyo->dx, tokyo->dy, tokyo->dz}), (std::array<int16_t, 3>{148, -507, -685}));
  EXPECT_FALSE(tokyo->editable);
  EXPECT_EQ(DatumNumberLabel(61), "# 61");
  EXPECT_EQ(DatumNumberLabel(5), "#  5");

  const auto europe = DatumRowFields(18, c);
  EXPECT_EQ(europe->name, "European 1950");
  EXPECT_EQ(europe->countries, "England, Channel Is., Ireland, Scotland, Shetland Is.");
  EXPECT_EQ((std::array{europe->dx, europe->dy, europe->dz}), (std::array<int16_t, 3>{86, 96, 120}));
  EXPECT_FALSE(DatumRowFields(64, c).has_value());

  EXPECT_EQ(DatumListNames()[24], "Honk Kong 1963");

  // The option buttons.
  EXPECT_EQ(DatumRowForOption(DatumOption::SelectAndDefine), 1);
  const auto wgs = DatumRowFields(DatumRowForOption(DatumOption::Select), c);
  EXPECT_EQ(wgs->countries, "Global definition");
  EXPECT_EQ(wgs->ellipsoidName, "WGS-84");
  EXPECT_EQ(wgs->semiMajorAxis, 6378137.0);
  EXPECT_EQ(wgs->inverseFlattening, 298.257223563);
}

TEST(DatumSetupTest, TokyoGoesOutByteForByte) {
  Configuration c = Defaults();
  const Configuration before = c;
  // The dialog hands over what its (disabled) fields hold; for a built-in row the table's
  // values go out whatever they say.
  DatumEntry typed = EntryFromFields(*DatumRowFields(61, c));
  typed.dx = 1;
  const auto params = AcceptDatum(DatumOption::Select, 61, typed, c);
  ASSERT_TRUE(params.has_value());
  EXPECT_EQ(c.image(), before.image());  // a built-in row stores nothing

  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  encoder.SendDatum(*params);
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0], test::Hex("0158A71E 003D9400 05FE53FD 1F85EB49 ED535841 90A6D5EB 71B27240 "
                                    "00000000 0000BE0C"));
}

DatumEntry Mine() {
  return DatumEntry{"Somewhere", "Krassovsky", -24, 123, 94, 6378245.0, 298.3};
}

TEST(DatumSetupTest, UserDatumsStartFromTheRecordAndAreKeptThere) {
  Configuration c = Defaults();
  auto user = DatumRowFields(2, c);
  ASSERT_TRUE(user.has_value());
  EXPECT_TRUE(user->editable);
  EXPECT_EQ(user->name, "User Defined 2");
  EXPECT_EQ(user->semiMajorAxis, 6378137.0);
  EXPECT_EQ(user->inverseFlattening, 298.257223563);

  const auto params = AcceptDatum(DatumOption::SelectAndDefine, 2, Mine(), c);
  ASSERT_TRUE(params.has_value());
  EXPECT_EQ(params->option, 2);
  EXPECT_EQ(params->datumNumber, 2);
  EXPECT_EQ(params->dx, -24);
  EXPECT_EQ(params->semiMajorAxis, 6378245.0);
  EXPECT_EQ(params->inverseFlattening, 298.3);
  user = DatumRowFields(2, c);
  EXPECT_EQ(user->countries, "Somewhere");
  EXPECT_EQ(user->ellipsoidName, "Krassovsky");
  EXPECT_EQ((std::array{user->dx, user->dy, user->dz}), (std::array<int16_t, 3>{-24, 123, 94}));
  EXPECT_EQ(user->semiMajorAxis, 6378245.0);
  EXPECT_EQ(c.userDatum(2).name, "User Defined 2");
  // User Defined 1 is untouched.
  EXPECT_EQ(DatumRowFields(1, c)->countries, "");

  // Texts are cut to the lengths the dialog allows, and a text that fills them is kept whole.
  DatumEntry longer = Mine();
  longer.countries = std::string(200, 'c');
  longer.ellipsoidName = std::string(40, 'e');
  ASSERT_TRUE(AcceptDatum(DatumOption::Define, 1, longer, c).has_value());
  EXPECT_EQ(DatumRowFields(1, c)->countries, std::string(175, 'c'));
  EXPECT_EQ(DatumRowFields(1, c)->ellipsoidName, std::string(30, 'e'));
  EXPECT_EQ(DatumRowFields(2, c)->countries, "Somewhere");
}

TEST(DatumSetupTest, AnEllipsoidThatIsNotTheEarthsIsNeverSent) {
  Configuration c = Defaults();
  const Configuration before = c;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (auto [a, f] : {std::pair{0.0, 298.3}, {6378245.0, 0.0}, {6349999.0, 298.3}, {6378245.0, 350.5},
                      {nan, 298.3}, {6378245.0, -298.3}}) {
    DatumEntry e = Mine();
    e.semiMajorAxis = a;
    e.inverseFlattening = f;
    EXPECT_FALSE(AcceptDatum(DatumOption::Define, 1, e, c).has_value()) << a << " " << f;
  }
  EXPECT_EQ(c.image(), before.image());
  EXPECT_FALSE(AcceptDatum(DatumOption::Select, 64, Mine(), c).has_value());
  EXPECT_FALSE(AcceptDatum(static_cast<DatumOption>(3), 0, Mine(), c).has_value());
  EXPECT_TRUE(IsUsableEllipsoid(kMinSemiMajorAxis, kMaxInverseFlattening));

  // A record without user datums (all zeros) shows WGS-84 rather than a = 0.
  const Configuration zeros;
  const auto user = DatumRowFields(1, zeros);
  EXPECT_EQ(user->ellipsoidName, "WGS-84");
  EXPECT_EQ(user->semiMajorAxis, 6378137.0);
  EXPECT_EQ(user->inverseFlattening, 298.257223563);
  Configuration fromZeros;
  const auto sent = AcceptDatum(DatumOption::Define, 1, EntryFromFields(*user), fromZeros);
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->semiMajorAxis, 6378137.0);
  EXPECT_EQ(fromZeros.userDatum(1).name, "User Defined 1");
}

class DatumRestartTest : public ::testing::Test {
 protected:
  static std::unique_ptr<PortChannel> Port(StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); }
  test::FakeDesktop desk;
  CMainFrame frame{desk, Port};
  test::FakeShellHost host;
  FrameCommands commands{frame, host};
};

TEST_F(DatumRestartTest, UserDatumTwoComesBackAfterSaveConfigAndARestart) {
  const std::string path = test::TempDir() + "/datum.cfg";
  commands.LoadConfiguration(path);
  ASSERT_TRUE(AcceptDatum(DatumOption::Define, 2, Mine(), frame.config()).has_value());
  commands.OnCommand(cmd::kSaveConfig);

  test::FakeDesktop desk2;
  CMainFrame frame2(desk2, Port);
  test::FakeShellHost host2;
  FrameCommands commands2(frame2, host2);
  commands2.LoadConfiguration(path);
  const auto user = DatumRowFields(2, frame2.config());
  EXPECT_EQ(user->countries, "Somewhere");
  EXPECT_EQ(user->ellipsoidName, "Krassovsky");
  EXPECT_EQ((std::array{user->dx, user->dy, user->dz}), (std::array<int16_t, 3>{-24, 123, 94}));
  EXPECT_EQ(user->semiMajorAxis, 6378245.0);
  EXPECT_EQ(user->inverseFlattening, 298.3);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace orv
