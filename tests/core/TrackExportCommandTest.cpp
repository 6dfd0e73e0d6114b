// "Export Track..." of the File menu: the item and its handler, the two file dialogs, the
// progress form stepping the export on its timer, stopping part way, and a name whose format
// is unknown.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "app/TrackExportCommand.h"
#include "ids/CommandIds.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"

namespace orv {
namespace {

// An NMEA log of `epochs` epochs at 1 Hz (GGA then RMC).
std::string WriteNmeaLog(const std::string& path, int epochs) {
  std::string text;
  for (int i = 0; i < epochs; ++i) {
    const std::string t = std::to_string(100000 + i % 60 + i / 60 * 100) + ".00";
    text += test::Sentence("GPGGA," + t + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    text += test::Sentence("GPRMC," + t + ",A,4807.038,N,01131.000,E,000.5,054.7,191194,020.3,E");
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

std::string Slurp(const std::string& path) {
  const auto bytes = test::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

const MenuItem* FindItem(const MenuItems& items, int id) {
  for (const MenuItem& item : items) {
    if (item.kind == MenuItem::Kind::Command && item.id == id) return &item;
    if (const MenuItem* inner = FindItem(item.items, id)) return inner;
  }
  return nullptr;
}

// Plays the user who waits: fires the form's timer until the form asks to close, recording
// the progress after each tick.
std::function<bool(Form&)> WaitingUser(std::vector<uint32_t>& progress, int maxTicks = 10000) {
  return [&progress, maxTicks](Form& form) {
    for (int i = 0; i < maxTicks && !form.closeRequest(); ++i) {
      form.FireTimer(kExportTrackTimer);
      progress.push_back(form.Progress(kExportTrackProgress));
    }
    return form.TakeCloseRequest() == FormAction::Ok;
  };
}

TEST(ExportTrackCommand, AsksForTheLogThenTheTrackAndExportsWithProgress) {
  const std::string dir = test::TempDir();
  const std::string log = WriteNmeaLog(dir + "/drive.log", 400);
  test::FakeDesktop desk;
  desk.openFileAnswer = log;
  desk.saveFileAnswer = dir + "/drive.kml";
  std::vector<uint32_t> progress;
  desk.formDriver = WaitingUser(progress);
  std::string last;
  // 8 KiB a tick: the 56 KiB log takes several ticks.
  const ExportTrackOutcome outcome = RunExportTrack(desk, 0, last, 8192);
  ASSERT_TRUE(outcome.completed);
  EXPECT_EQ(last, log);
  ASSERT_EQ(desk.saveFileRequests.size(), 1u);
  EXPECT_EQ(desk.saveFileRequests[0].defaultExtension, "gpx");
  EXPECT_EQ(desk.saveFileRequests[0].filter,
            "GPX Files (*.gpx) |*.gpx|KML Files (*.kml) |*.kml|CSV Files (*.csv) |*.csv|GeoJSON Files (*.geojson) "
            "|*.geojson||");
  EXPECT_EQ(desk.saveFileRequests[0].initialPath, dir + "/drive.gpx");
  ASSERT_GE(progress.size(), 5u);
  for (std::size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i], progress[i - 1]);
  EXPECT_LT(progress.front(), 300u);
  EXPECT_EQ(progress.back(), 1000u);
  EXPECT_EQ(outcome.result.points, 400u);
  // The extension chose the format.
  const std::string kml = Slurp(dir + "/drive.kml");
  EXPECT_NE(kml.find("<kml xmlns=\"http://www.opengis.net/kml/2.2\">"), std::string::npos);
  EXPECT_NE(kml.find("11.516666667,48.117300000,545.400"), std::string::npos);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "400 points in 1 segments written to " + dir +
                                    "/drive.kml.\n0 epochs without a valid position were skipped.");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Information);
}

TEST(ExportTrackCommand, CancelStopsAndRemovesThePartialFile) {
  const std::string dir = test::TempDir();
  test::FakeDesktop desk;
  desk.openFileAnswer = WriteNmeaLog(dir + "/long.log", 400);
  desk.saveFileAnswer = dir + "/long.csv";
  int ticks = 0;
  desk.formDriver = [&ticks](Form& form) {
    form.FireTimer(kExportTrackTimer);
    ++ticks;
    return form.Press(kFormCancel) == FormAction::Ok;
  };
  std::string last;
  const ExportTrackOutcome outcome = RunExportTrack(desk, 0, last, 8192);
  EXPECT_TRUE(outcome.ran);
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(std::filesystem::exists(dir + "/long.csv"));
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Export stopped; " + dir + "/long.csv was not written.");
}

TEST(ExportTrackCommand, AnUnknownExtensionOrACancelledDialogWritesNothing) {
  const std::string dir = test::TempDir();
  test::FakeDesktop desk;
  desk.openFileAnswer = WriteNmeaLog(dir + "/a.log", 3);
  desk.saveFileAnswer = dir + "/a.txt";
  std::string last;
  EXPECT_FALSE(RunExportTrack(desk, 0, last).ran);
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].text, "Choose a file ending in .gpx, .kml, .csv or .geojson.");
  EXPECT_EQ(desk.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(std::filesystem::exists(dir + "/a.txt"));
  desk.saveFileAnswer.reset();
  EXPECT_FALSE(RunExportTrack(desk, 0, last).ran);
  EXPECT_EQ(desk.formsRun, 0);
  EXPECT_EQ(TrackFormatOfPath("x/T.GeoJSON"), TrackFormat::kGeoJson);
  EXPECT_EQ(TrackFormatOfPath("t.json"), TrackFormat::kGeoJson);
  EXPECT_EQ(TrackFormatOfPath("t.GPX"), TrackFormat::kGpx);
  EXPECT_FALSE(TrackFormatOfPath("gpx"));
}

// The item sits in the File menu of both protocols, enabled, and runs the export.
TEST(ExportTrackCommand, TheFileMenuItemRunsIt) {
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); });
  test::FakeShellHost host;
  FrameCommands commands(frame, host);
  const MenuItem* item = FindItem(commands.menuBar(), cmd::kExportTrack);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text, "Export Track...");
  EXPECT_TRUE(commands.State(cmd::kExportTrack).enabled);
  const std::string dir = test::TempDir();
  desk.openFileAnswer = WriteNmeaLog(dir + "/m.log", 5);
  desk.saveFileAnswer = dir + "/m.gpx";
  std::vector<uint32_t> progress;
  desk.formDriver = WaitingUser(progress);
  frame.config().SetProtocolSelector(0);
  EXPECT_TRUE(commands.OnCommand(cmd::kExportTrack));
  EXPECT_EQ(desk.openFileRequests.size(), 1u);
  EXPECT_NE(Slurp(dir + "/m.gpx").find("<time>1994-11-19T10:00:04Z</time>"), std::string::npos);
}

}  // namespace
}  // namespace orv
