// Received sentences end to end through the decoder: identification, slot counts, the gate,
// the receiver answer, the queue-full box and the window links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nmea/NmeaStore.h"
#include "nmea/ReceiverDecoder.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"

namespace orv {
namespace {

using test::Sentence;

template <typename Record>
class RecordingLink : public NmeaRecordLink<Record> {
 public:
  void ShowRecord(const Record* record) override { shown.push_back(record); }
  std::vector<const Record*> shown;
};

class NmeaStoreTest : public ::testing::Test {
 protected:
  NmeaStoreTest() {
    decoder.SetProtocolSelector(0);
    decoder.SetTimeGateOpen(1);
    decoder.SetMessageBoxes(&desktop);
  }
  void Feed(const std::string& text) {
    std::vector<uint8_t> block(text.begin(), text.end());
    block.push_back(0);
    decoder.Decode(block.data(), static_cast<uint32_t>(text.size()));
  }
  // The slot a body was counted in, -1 when it was counted in none.
  int SlotOf(const std::string& body) {
    const auto before = decoder.counters().nmeaCountBySlot;
    Feed(Sentence(body));
    const auto& after = decoder.counters().nmeaCountBySlot;
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (after[i] != before[i]) return static_cast<int>(i);
    }
    return -1;
  }
  uint32_t Count(int slot) const { return decoder.counters().nmeaCountBySlot[static_cast<std::size_t>(slot)]; }

  test::FakeDesktop desktop;
  ReceiverDecoder decoder;
};

TEST_F(NmeaStoreTest, ProprietaryAddressesMustMatchAllNineCharacters) {
  EXPECT_EQ(SlotOf("PQTLG,900,3D,1"), 0);
  EXPECT_EQ(SlotOf("PQTLG,901"), 1);
  EXPECT_EQ(SlotOf("PQTLG,902,1,2"), 2);
  EXPECT_EQ(SlotOf("PQTLG,903"), 3);
  EXPECT_EQ(SlotOf("PQTLG,906,1"), 6);
  EXPECT_EQ(SlotOf("PQTLG,907,1"), 7);
  EXPECT_EQ(SlotOf("PQTLG,908,1"), 8);
  // Slots 4, 5 and 9 have no sentence; a shifted or shortened address matches nothing.
  EXPECT_EQ(SlotOf("PQTLG,904,1"), -1);
  EXPECT_EQ(SlotOf("PQTLG,905"), -1);
  EXPECT_EQ(SlotOf("PQTLG,909"), -1);
  EXPECT_EQ(SlotOf("PQTLG,90"), -1);
  EXPECT_EQ(SlotOf("XPQTLG,900,3D"), -1);
  EXPECT_EQ(SlotOf("PQTLG 900,3D"), -1);
  EXPECT_EQ(SlotOf("pqtlg,900,3D"), -1);
  // Only the first nine characters are compared.
  EXPECT_EQ(SlotOf("PQTLG,9001,3D"), 0);
}

TEST_F(NmeaStoreTest, StandardAddressesAreFoundAnywhereInTheNineCharacters) {
  EXPECT_EQ(SlotOf("GPGGA,123519,4807.038,N"), 10);
  EXPECT_EQ(SlotOf("XGPGGA,1"), 10);
  EXPECT_EQ(SlotOf("ABCDGPGGA,1"), 10);   // ends at the ninth character
  EXPECT_EQ(SlotOf("ABCDEGPGGA,1"), -1);  // one character too far
  EXPECT_EQ(SlotOf("GPGGA"), 10);
  EXPECT_EQ(SlotOf("GPGLL,"), 11);
  EXPECT_EQ(SlotOf("GPGSA,"), 12);
  EXPECT_EQ(SlotOf("GPGSV,"), 13);
  EXPECT_EQ(SlotOf("GPMSS,"), 14);
  EXPECT_EQ(SlotOf("GPRMC,"), 15);
  EXPECT_EQ(SlotOf("GPVTG,"), 16);
  EXPECT_EQ(SlotOf("GPZDA,"), 17);
  EXPECT_EQ(SlotOf("GPGGB,"), -1);
  EXPECT_EQ(SlotOf("GPTXT,01,01,02,ANTSTATUS=OK"), -1);
  // GGA is searched before the others, wherever they stand.
  EXPECT_EQ(SlotOf("GPGLGPGGA"), 10);
  EXPECT_EQ(SlotOf("GPZDAGPGGA"), 17);  // GGA would end past the nine characters
  EXPECT_EQ(SlotOf("GPVTGPGGA,1"), 10);  // both fit: GGA is searched first
}

TEST_F(NmeaStoreTest, OtherTalkersShareTheSlotsAndRecords) {
  for (const char* talker : {"GN", "GL", "GA", "GB", "BD", "QZ"}) {
    EXPECT_EQ(SlotOf(std::string(talker) + "GGA,101010,4807.038,N"), 10) << talker;
    EXPECT_EQ(decoder.nmea().gga().utcHour, 10) << talker;
    EXPECT_EQ(SlotOf(std::string(talker) + "RMC,"), 15) << talker;
  }
  EXPECT_EQ(SlotOf("GXGGA,1"), -1);
  EXPECT_EQ(SlotOf("PGRME,15.0,M"), -1);
}

TEST_F(NmeaStoreTest, CountsEverySentenceAndUnknownOnesOnlyInTheTotal) {
  Feed(Sentence("GPGGA,1") + Sentence("GPGGA,2") + Sentence("PQTLG,900,3D,1") + Sentence("GPXYZ,1"));
  EXPECT_EQ(decoder.counters().nmeaSentenceCount, 4u);
  EXPECT_EQ(Count(kSlotGga), 2u);
  EXPECT_EQ(Count(kSlotNavStatus), 1u);
  uint32_t total = 0;
  for (uint32_t c : decoder.counters().nmeaCountBySlot) total += c;
  EXPECT_EQ(total, 3u);
}

TEST_F(NmeaStoreTest, ClosedGateOrDisabledDecodingCountsWithoutStoring) {
  RecordingLink<NmeaGgaRecord> link;
  decoder.nmea().SetLink(&link);
  Feed(Sentence("GPGGA,101010"));
  ASSERT_EQ(link.shown.size(), 1u);
  EXPECT_EQ(decoder.nmea().lastStoredSlot(), kSlotGga);

  decoder.SetTimeGateOpen(0);
  Feed(Sentence("GPGGA,111111") + Sentence("PQTLG,901"));
  decoder.SetTimeGateOpen(1);
  decoder.SetDecodingEnabled(0);
  Feed(Sentence("GPGGA,121212") + Sentence("PQTLG,901"));
  EXPECT_EQ(decoder.nmea().lastStoredSlot(), -1);

  EXPECT_EQ(Count(kSlotGga), 3u);
  EXPECT_EQ(Count(kSlotQueueFull), 2u);
  EXPECT_EQ(link.shown.size(), 1u);
  EXPECT_EQ(decoder.nmea().gga().utcHour, 10);
  EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(NmeaStoreTest, NavStatusAnswersThePortSearchWhateverTheGate) {
  decoder.SetTimeGateOpen(0);
  decoder.SetDecodingEnabled(0);
  Feed(Sentence("PQTLG,900,3D,1"));
  EXPECT_FALSE(decoder.receiverAnswered());  // nobody was waiting

  decoder.ExpectReceiverAnswer(1);
  Feed(Sentence("GPGGA,101010") + Sentence("PQTLG,90,3D"));
  EXPECT_FALSE(decoder.receiverAnswered());
  Feed(Sentence("PQTLG,900,3D,1"));
  EXPECT_TRUE(decoder.receiverAnswered());
  EXPECT_FALSE(decoder.nmea().navStatus().has(NmeaNavStatusRecord::kNavigationMode));
}

TEST_F(NmeaStoreTest, QueueFullShowsItsBoxEachTimeAndStoresNothing) {
  Feed(Sentence("PQTLG,901") + Sentence("PQTLG,901,8"));
  ASSERT_EQ(desktop.boxes.size(), 2u);
  EXPECT_EQ(desktop.boxes[0].text, "More than 8 data requests are pending.");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(decoder.nmea().lastStoredSlot(), -1);
  // Without a desktop the report is only counted.
  decoder.SetMessageBoxes(nullptr);
  Feed(Sentence("PQTLG,901"));
  EXPECT_EQ(Count(kSlotQueueFull), 3u);
  EXPECT_EQ(desktop.boxes.size(), 2u);
}

TEST_F(NmeaStoreTest, EachLinkIsToldWithItsOwnRecord) {
  RecordingLink<NmeaRmcRecord> rmc;
  RecordingLink<NmeaZdaRecord> zda;
  RecordingLink<NmeaRxParamRecord> rx;
  decoder.nmea().SetLink(&rmc);
  decoder.nmea().SetLink(&zda);
  decoder.nmea().SetLink(&rx);
  Feed(Sentence("GPRMC,,V") + Sentence("GPZDA,") + Sentence("GPGGA,") + Sentence("PQTLG,908,10"));
  ASSERT_EQ(rmc.shown.size(), 1u);
  ASSERT_EQ(zda.shown.size(), 1u);
  ASSERT_EQ(rx.shown.size(), 1u);
  EXPECT_EQ(rmc.shown[0], &decoder.nmea().rmc());
  EXPECT_EQ(zda.shown[0], &decoder.nmea().zda());
  EXPECT_EQ(rx.shown[0], &decoder.nmea().rxParam());
  decoder.nmea().SetLink<NmeaRmcRecord>(nullptr);
  Feed(Sentence("GPRMC,,A"));
  EXPECT_EQ(rmc.shown.size(), 1u);
  EXPECT_EQ(decoder.nmea().rmc().status, 'A');
}

TEST_F(NmeaStoreTest, FieldsStartAfterTheAddressWhereverItStands) {
  Feed(Sentence("XYGPGGA,101112,4807.038,N"));
  const NmeaGgaRecord& g = decoder.nmea().gga();
  EXPECT_TRUE(g.has(NmeaGgaRecord::kTime));
  EXPECT_EQ(g.utcHour, 10);
  EXPECT_EQ(g.utcMinute, 11);
  EXPECT_EQ(g.latitudeDegrees, 48);
  // An address with nothing after it leaves every field absent.
  Feed(Sentence("GPGGA"));
  for (uint8_t p : g.present) EXPECT_EQ(p, 0);
  EXPECT_EQ(g.utcHour, 10);
}

}  // namespace
}  // namespace orv
