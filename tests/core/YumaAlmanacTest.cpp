// The Yuma reader, the header of a load and the week rule, against the independent decode of a
// real almanac and against files written to trip the reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "maintenance/AlmanacTransfer.h"
#include "maintenance/YumaAlmanac.h"
#include "support/Frames.h"
#include "util/Format.h"

namespace orv {
namespace {

std::string Record(int id, int health, const std::string& weekLine = "week:                        377",
                   const std::string& eol = "\n") {
  std::string s;
  s += Format("******** Week  377 almanac for PRN-%02d ********", id) + eol;
  s += Format("ID:                         %02d", id) + eol;
  s += Format("Health:                     %03d", health) + eol;
  s += "Eccentricity:               0.6597995758E-002" + eol;
  s += "Time of Applicability(s):  319488.0000" + eol;
  s += "Orbital Inclination(rad):   0.9893061549" + eol;
  s += "Rate of Right Ascen(r/s):  -0.7508884204E-008" + eol;
  s += "SQRT(A)  (m 1/2):           5153.683594" + eol;
  s += "Right Ascen at Week(rad):  -0.5644326501E+000" + eol;
  s += "Argument of Perigee(rad):  -1.781409342" + eol;
  s += "Mean Anom(rad):             0.4668447322E+000" + eol;
  s += "Af0(s):                     0.8964538574E-004" + eol;
  s += "Af1(s/s):                   0.3637978807E-011" + eol;
  s += weekLine + eol + eol;
  return s;
}

YumaReadResult Read(const std::string& text, int svType = kSvTypeGps) {
  std::istringstream in(text);
  return ReadYuma(in, svType);
}

TEST(YumaAlmanac, KeepsHealthyRecordsInFileOrderWithEveryField) {
  const YumaReadResult r = Read(Record(3, 0) + Record(5, 63) + Record(1, 0), kSvTypeGic);
  ASSERT_EQ(r.records.size(), 2u);
  EXPECT_EQ(r.unhealthy, 1);
  EXPECT_EQ(r.records[0].prnIndex, 2);
  EXPECT_EQ(r.records[1].prnIndex, 0);
  const AlmanacEntry& e = r.records[0];
  EXPECT_EQ(e.svType, kSvTypeGic);
  EXPECT_EQ(e.health, 0);
  EXPECT_DOUBLE_EQ(e.eccentricity, 0.6597995758E-002);
  EXPECT_DOUBLE_EQ(e.toa, 319488.0);
  EXPECT_DOUBLE_EQ(e.inclinationOffset, 0.9893061549 - 0.9424777960769379);
  EXPECT_DOUBLE_EQ(e.rateOfRightAscension, -0.7508884204E-008);
  EXPECT_DOUBLE_EQ(e.sqrtA, 5153.683594);
  EXPECT_DOUBLE_EQ(e.rightAscension, -0.5644326501);
  EXPECT_DOUBLE_EQ(e.argumentOfPerigee, -1.781409342);
  EXPECT_DOUBLE_EQ(e.meanAnomaly, 0.4668447322);
  EXPECT_DOUBLE_EQ(e.af0, 0.8964538574E-004);
  EXPECT_DOUBLE_EQ(e.af1, 0.3637978807E-011);
  EXPECT_EQ(e.week, 377);
}

TEST(YumaAlmanac, CrLfLongLinesAndTheCaseOfKeys) {
  // CR LF ends, a comment line far over 99 characters whose tail looks like a key line, and
  // the week key in upper, lower and mixed case.
  std::string text = Record(1, 0, "WEEK: 377", "\r\n");
  std::string second = Record(2, 0, "Week: 378", "\r\n");
  // Cut at 99 characters, this line would start a line "ID: 09" inside the second record.
  const std::string idLine = "ID:                         02\r\n";
  second.insert(second.find(idLine) + idLine.size(), "#" + std::string(98, ' ') + "ID: 09\r\n");
  text += second + Record(4, 0, "wEeK:   379", "\r\n");
  // A key line over 99 characters reads its value whole.
  std::string longLine = Record(6, 0);
  const std::string sqrtLine = "SQRT(A)  (m 1/2):           5153.683594";
  longLine.replace(longLine.find(sqrtLine), sqrtLine.size(), "SQRT(A)  (m 1/2):" + std::string(100, ' ') + "5153.5");
  text += longLine;
  const YumaReadResult r = Read(text);
  ASSERT_EQ(r.records.size(), 4u);
  EXPECT_EQ(r.records[0].week, 377);
  EXPECT_EQ(r.records[1].week, 378);
  EXPECT_EQ(r.records[1].prnIndex, 1);
  EXPECT_EQ(r.records[2].week, 379);
  EXPECT_DOUBLE_EQ(r.records[0].toa, 319488.0);  // no CR left to spoil a value
  EXPECT_DOUBLE_EQ(r.records[3].sqrtA, 5153.5);
  EXPECT_EQ(r.records[3].prnIndex, 5);
}

TEST(YumaAlmanac, InclinationOfPointThreePiIsSentAsZero) {
  std::string text = Record(7, 0);
  const std::string inc = "Orbital Inclination(rad):   0.9893061549";
  text.replace(text.find(inc), inc.size(), "Orbital Inclination(rad):   0.9424777960769379");
  const YumaReadResult r = Read(text);
  ASSERT_EQ(r.records.size(), 1u);
  EXPECT_EQ(r.records[0].inclinationOffset, 0.0);
}

TEST(YumaAlmanac, RecordsThatWouldOverwriteAnotherSlotAreSkipped) {
  const YumaReadResult r = Read(Record(0, 0) + Record(33, 0) + Record(2, 0));
  ASSERT_EQ(r.records.size(), 1u);
  EXPECT_EQ(r.records[0].prnIndex, 1);
  EXPECT_EQ(r.badId, 2);
  // At most 32 records: a 33rd healthy one is counted, not kept.
  std::string many;
  for (int i = 0; i < 33; ++i) many += Record(1 + i % 32, 0);
  const YumaReadResult full = Read(many);
  EXPECT_EQ(full.records.size(), 32u);
  EXPECT_EQ(full.overflow, 1);
}

TEST(YumaAlmanac, FilesWithNothingToSendSayWhy) {
  EXPECT_EQ(AlmanacNothingToSendText(Read("")), "No almanac record in the file: nothing was sent.");
  EXPECT_EQ(AlmanacNothingToSendText(Read("$GPGGA,1,2,3\nnot an almanac\n")),
            "No almanac record in the file: nothing was sent.");
  EXPECT_EQ(AlmanacNothingToSendText(Read(Record(5, 63) + Record(15, 63))),
            "No healthy satellite in the almanac file: nothing was sent.");
  EXPECT_EQ(AlmanacNothingToSendText(Read(Record(1, 0))), "");
  const std::string dir = test::TempDir();
  EXPECT_FALSE(ReadYumaFile(dir + "/missing.alm", kSvTypeGps).has_value());
  EXPECT_FALSE(ReadYumaFile(dir + "/", kSvTypeGps).has_value());  // the dialog's starting text
}

TEST(AlmanacWeek, FullWeekIsTheOneNearestToday) {
  EXPECT_EQ(GpsWeekAt(1554595200), 2048);      // 7 April 2019 00:00 UTC
  EXPECT_EQ(GpsWeekAt(1554595200 - 1), 2047);
  EXPECT_EQ(GpsWeekAt(315964800), 0);
  EXPECT_EQ(FullAlmanacWeek(100, 1100), 1124);
  // An almanac from before the last rollover stays there.
  EXPECT_EQ(FullAlmanacWeek(1000, 1030), 1000);
  EXPECT_EQ(FullAlmanacWeek(1000, 2060), 2024);
  EXPECT_EQ(FullAlmanacWeek(10, 2040), 2058);
  EXPECT_EQ(FullAlmanacWeek(377, 2448), 2425);
  // A file that already gives the full week.
  EXPECT_EQ(FullAlmanacWeek(2425, 2448), 2425);
}

TEST(AlmanacHeader, AnnouncesOnlyTheRecordsOfTheLoad) {
  const YumaReadResult r = Read(Record(1, 0) + Record(9, 0) + Record(32, 0));
  AlmanacHeader h = BuildAlmanacHeader(r.records, 2448);
  EXPECT_EQ(h.mask, (std::array<uint8_t, 4>{0x01, 0x01, 0x00, 0x80}));
  EXPECT_EQ(h.week, 2425);
  EXPECT_DOUBLE_EQ(h.toaSeconds, 319488.0);
  h = BuildAlmanacHeader(std::span(r.records).subspan(1, 1), 2448);
  EXPECT_EQ(h.mask, (std::array<uint8_t, 4>{0x00, 0x01, 0x00, 0x00}));
}

}  // namespace
}  // namespace orv
