// The transmit side: frame building, requests and the payload of every command builder.
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/CommandKeys.h"
#include "protocol/FrameEncoder.h"
#include "support/Frames.h"
#include "support/RecordingChannel.h"
#include "util/ByteIo.h"

namespace orv {
namespace {

using test::Hex;

class FrameEncoderTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> Last() { return port.sent.empty() ? std::vector<uint8_t>{} : port.sent.back(); }
  // The payload of the last frame, after checking its header and checksum.
  std::vector<uint8_t> LastPayload(uint8_t idByte) {
    const auto f = Last();
    EXPECT_GE(f.size(), 6u);
    if (f.size() < 6) return {};
    EXPECT_EQ(f[0], 0x01);
    EXPECT_EQ(f[1], idByte);
    EXPECT_EQ(f[2], static_cast<uint8_t>(~idByte));
    EXPECT_EQ(f[3], f.size() - 6);
    uint16_t sum = 0;
    for (std::size_t i = 0; i + 2 < f.size(); ++i) sum = static_cast<uint16_t>(sum + f[i]);
    EXPECT_EQ(f[f.size() - 2], sum & 0xFF);
    EXPECT_EQ(f[f.size() - 1], sum >> 8);
    return {f.begin() + 4, f.end() - 2};
  }
  static std::vector<uint8_t> Key() {
    const CommandKey k = GeneralCommandKey();
    return {k.begin(), k.end()};
  }

  test::RecordingChannel port;
  FrameEncoder encoder{&port};
};

TEST_F(FrameEncoderTest, WorkedExamples) {
  encoder.SendRequest(20, kOneShot);
  EXPECT_EQ(Last(), Hex("01 14 EB 00 00 01"));
  encoder.SendRequest(20, kContinuous);
  EXPECT_EQ(Last(), Hex("01 94 6B 00 00 01"));
  encoder.SendRequest(1023, kContinuous);
  EXPECT_EQ(Last(), Hex("01 97 68 01 01 02 01"));
  encoder.SendBitRequest(3);
  EXPECT_EQ(Last(), Hex("01 33 CC 01 03 04 01"));
}

TEST_F(FrameEncoderTest, MessagesWithoutTableLengthSendNothing) {
  for (int id : {0, 7, 57, 70, 114, 125}) encoder.SendRequest(id, kOneShot);
  encoder.SendRequest(128, kOneShot);
  encoder.SendRequest(-1, kOneShot);
  EXPECT_TRUE(port.sent.empty());
  encoder.SendSubMessage(70, 1, 0, {});
  encoder.SendSubMessage(70, 1, 6, {});
  encoder.SendSubMessage(70, 1, 262, {});
  EXPECT_TRUE(port.sent.empty());
}

TEST_F(FrameEncoderTest, EveryTableLengthBuildsAFrameOfThatLength) {
  for (int id = 0; id < 128; ++id) {
    port.sent.clear();
    encoder.SendMessage(static_cast<uint8_t>(id), {});
    if (kTransmitLength[id] == 0) {
      EXPECT_TRUE(port.sent.empty()) << id;
    } else {
      ASSERT_EQ(port.sent.size(), 1u) << id;
      EXPECT_EQ(port.sent[0].size(), kTransmitLength[id]) << id;
      LastPayload(static_cast<uint8_t>(id));  // header and checksum
    }
  }
  EXPECT_EQ(kTransmitLength[79], 79);
  EXPECT_EQ(kTransmitLength[109], 83);
  EXPECT_EQ(kTransmitLength[104], 69);
}

TEST_F(FrameEncoderTest, RequestCodesPickMessageAndPayload) {
  for (int code : {23, 1023, 2023, 3023}) {
    encoder.SendRequest(code, kOneShot);
    EXPECT_EQ(LastPayload(23), std::vector<uint8_t>{static_cast<uint8_t>(code / 1000)});
  }
  encoder.SendRequest(1063, kOneShot);
  EXPECT_EQ(LastPayload(63), Key());
  encoder.SendRequest(63, kOneShot);
  const CommandKey old = OldInitLinkPassword();
  EXPECT_EQ(LastPayload(63), std::vector<uint8_t>(old.begin(), old.end()));
  encoder.SendRequest(9063, kOneShot);
  const CommandKey su = SuperUserInitLinkPassword();
  EXPECT_EQ(LastPayload(63), std::vector<uint8_t>(su.begin(), su.end()));
  encoder.SendRequest(2, kOneShot);
  EXPECT_EQ(LastPayload(2), Key());
  encoder.SendRequest(100, kOneShot);
  EXPECT_EQ(LastPayload(100), Key());
  const auto key = Key();
  EXPECT_EQ(std::string(key.begin(), key.end()), "ZKQW-731");
}

TEST_F(FrameEncoderTest, RequestAllSendsFiveContinuousRequestsInOrder) {
  encoder.SendRequestAll();
  ASSERT_EQ(port.sent.size(), 5u);
  const uint8_t ids[] = {0x94, 0x95, 0x96, 0x97, 0xC1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(port.sent[static_cast<std::size_t>(i)][1], ids[i]);
  EXPECT_EQ(port.sent[3][4], 0);  // the measurement block at 1 Hz
}

TEST_F(FrameEncoderTest, TransmittedFramesAreEchoedOnlyWhileADisplayIsAttached) {
  test::RecordingRawDisplay display;
  encoder.SendRequest(20, kOneShot);
  encoder.AttachRawDisplay(&display);
  EXPECT_TRUE(encoder.showTransmitted());
  encoder.SendRequest(20, kContinuous);
  encoder.AttachRawDisplay(nullptr);
  encoder.SendRequest(21, kOneShot);
  ASSERT_EQ(display.transmitted.size(), 1u);
  EXPECT_EQ(display.transmitted[0], Hex("01 94 6B 00 00 01"));
  EXPECT_EQ(port.sent.size(), 3u);
}

TEST_F(FrameEncoderTest, SimpleBuilders) {
  encoder.SendMaskAngle(5.0f);
  auto p = LastPayload(81);
  ASSERT_EQ(p.size(), 12u);
  EXPECT_EQ(ReadLe<float>(p, 0), 5.0f);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 4, p.end()), Hex("01 02 03 04 05 06 07 08"));

  encoder.SendDiffMessageSelection(3, 9);
  EXPECT_EQ(LastPayload(91), Hex("03 09"));

  encoder.SendClearNvm(7);
  EXPECT_EQ(LastPayload(99), test::Bytes("ZKQW-707"));

  encoder.SendProtocolAndBaud(true, 9600);
  EXPECT_EQ(LastPayload(110), Hex("A0"));
  encoder.SendProtocolAndBaud(false, 38400);
  EXPECT_EQ(LastPayload(110), Hex("41"));
  encoder.SendProtocolAndBaud(false, 57600);
  EXPECT_EQ(LastPayload(110), Hex("42"));
  encoder.SendProtocolAndBaud(false, 115200);
  EXPECT_EQ(LastPayload(110), Hex("43"));
  encoder.SendProtocolAndBaud(false, 4800);
  EXPECT_EQ(LastPayload(110), Hex("10"));

  encoder.SendMemoryDumpRequest(32, true, "1A2B3C4D");
  EXPECT_EQ(LastPayload(61 + 128), Hex("4D 3C 2B 1A"));
  encoder.SendMemoryDumpRequest(16, false, "ff");
  EXPECT_EQ(LastPayload(60), Hex("FF 00 00 00"));
  encoder.SendMemoryDumpRequest(64, false, "zz");
  EXPECT_EQ(LastPayload(62), Hex("00 00 00 00"));

  encoder.SendWrapAround("10");
  EXPECT_EQ(LastPayload(44), Hex("10 00 00 00"));

  encoder.SendAlmanacRequest(0x85);
  EXPECT_EQ(LastPayload(76 + 128), Hex("05"));
  encoder.SendAlmanacRequest(0x05);
  EXPECT_EQ(LastPayload(76), Hex("05"));

  encoder.SendMslModel(true);
  EXPECT_EQ(LastPayload(86 + 128), Key());
  encoder.SendTropoModel(false);
  EXPECT_EQ(LastPayload(84), Key());
}

TEST_F(FrameEncoderTest, KeyedBuilders) {
  encoder.SendLoadByte("20000010", 0xAB);
  auto expected = Key();
  for (uint8_t b : Hex("10 00 00 20 AB")) expected.push_back(b);
  EXPECT_EQ(LastPayload(120), expected);

  encoder.SendLoadWord("8", 0x01020304);
  expected = Key();
  for (uint8_t b : Hex("08 00 00 00 04 03 02 01")) expected.push_back(b);
  EXPECT_EQ(LastPayload(122), expected);

  uint8_t bits2[2] = {0x12, 0x34};
  encoder.SendConfigBits(bits2);
  expected = Key();
  expected.push_back(0x12);
  expected.push_back(0x34);
  EXPECT_EQ(LastPayload(64), expected);

  uint8_t bits4[4] = {1, 2, 3, 4};
  encoder.SendConfigGroups(bits4, false);
  expected = Key();
  for (uint8_t b : bits4) expected.push_back(b);
  EXPECT_EQ(LastPayload(90), expected);
  port.sent.clear();
  encoder.SendConfigGroups(bits4, true);
  ASSERT_EQ(port.sent.size(), 2u);
  EXPECT_EQ(std::memcmp(port.sent[0].data() + 4, ConfigGroupKey(0).data(), 8), 0);
  EXPECT_EQ(std::memcmp(port.sent[1].data() + 4, ConfigGroupKey(1).data(), 8), 0);

  uint8_t fields[24];
  for (int i = 0; i < 24; ++i) fields[i] = static_cast<uint8_t>(i);
  encoder.SendKeyedRecord("Base Manual", fields);
  auto p = LastPayload(80);
  ASSERT_EQ(p.size(), 32u);
  EXPECT_EQ(std::memcmp(p.data(), OperatingModeKey("Base Manual").data(), 8), 0);
  EXPECT_NE(std::memcmp(p.data(), OperatingModeKey("Rover").data(), 8), 0);
  EXPECT_EQ(p[8], 0);
  EXPECT_EQ(p[31], 23);
}

TEST_F(FrameEncoderTest, DateTimeKeysAndCalendar) {
  CalendarRecord c{13, 45, 30, 8, 11, 126};
  encoder.SendDateTime(0, c);
  auto p = LastPayload(103);
  ASSERT_EQ(p.size(), 15u);
  EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 8), Key());
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 8, p.begin() + 13), Hex("0D 2D 1E 08 0C"));
  EXPECT_EQ(ReadLe<uint16_t>(p, 13), 2026);

  encoder.SendDateTime(3, c);
  p = LastPayload(103);
  EXPECT_EQ(std::memcmp(p.data(), OldInitLinkPassword().data(), 8), 0);
  EXPECT_EQ(p[8], 13);

  for (int mode : {1, 2, 4, 9}) {
    encoder.SendDateTime(mode, c);
    p = LastPayload(103);
    EXPECT_EQ(std::memcmp(p.data(), DateTimeKey(mode).data(), 8), 0) << mode;
    EXPECT_EQ(std::vector<uint8_t>(p.begin() + 8, p.end()), std::vector<uint8_t>(7, 0)) << mode;
  }
  EXPECT_NE(DateTimeKey(1), DateTimeKey(2));
  EXPECT_EQ(DateTimeKey(4), DateTimeKey(7));
}

TEST_F(FrameEncoderTest, RecordBuilders) {
  encoder.SendTimingParameters({1, 2, 3, 4, 5, 6, 0x0708});
  auto p = LastPayload(69);
  ASSERT_EQ(p.size(), 27u);
  EXPECT_EQ(ReadLe<uint32_t>(p, 0), 1u);
  EXPECT_EQ(ReadLe<uint32_t>(p, 8), 3u);
  EXPECT_EQ(p[12], 4);
  EXPECT_EQ(p[14], 6);
  EXPECT_EQ(ReadLe<uint16_t>(p, 15), 0x0708);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 17, p.end()), std::vector<uint8_t>(10, 0));

  encoder.SendTrackSvRequest({2, 120, 0x1111, 0x22, 0x33333333, 0x4444, 0x55});
  p = LastPayload(95);
  ASSERT_EQ(p.size(), 13u);
  EXPECT_EQ(p[0], (2 << 6) | 33);
  EXPECT_EQ(ReadLe<uint16_t>(p, 1), 0x1111);
  EXPECT_EQ(p[3], 0);
  EXPECT_EQ(p[4], 0);
  EXPECT_EQ(p[5], 0x22);
  EXPECT_EQ(ReadLe<uint32_t>(p, 6), 0x33333333u);
  EXPECT_EQ(ReadLe<uint16_t>(p, 10), 0x4444);
  EXPECT_EQ(p[12], 0x55);
  encoder.SendTrackSvRequest({1, 17, 0, 0, 0, 0, 0});
  EXPECT_EQ(LastPayload(95)[0], (1 << 6) | 17);

  const int numbers[] = {0, 20, 57, 127};
  encoder.SendDefaultMessageSelection(numbers);
  p = LastPayload(105);
  ASSERT_EQ(p.size(), 24u);
  EXPECT_EQ(p[0], 0x01);
  EXPECT_EQ(p[2], 0x10);          // 20: byte 2 bit 4
  EXPECT_EQ(p[5], 0x02);          // 57 sets 41: byte 5 bit 1
  EXPECT_EQ(p[7], 0x00);          // and not 57's own bit
  EXPECT_EQ(p[15], 0x80);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 16, p.end()), std::vector<uint8_t>(8, 0));

  DatumParameters d;
  d.option = 1;
  d.datumNumber = 2;
  d.dx = -3;
  d.dz = 300;
  d.semiMajorAxis = 6378000.5;
  d.inverseFlattening = 299.25;
  encoder.SendDatum(d);
  p = LastPayload(88);
  ASSERT_EQ(p.size(), 30u);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], 2);
  EXPECT_EQ(ReadLe<int16_t>(p, 2), -3);
  EXPECT_EQ(ReadLe<int16_t>(p, 6), 300);
  EXPECT_EQ(ReadLe<double>(p, 8), 6378000.5);
  EXPECT_EQ(ReadLe<double>(p, 16), 299.25);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 24, p.end()), std::vector<uint8_t>(6, 0));

  const int svs[] = {0, 9, 31, 40};
  encoder.SendAlmanacTransferStart(svs, 377, 61440.0);
  p = LastPayload(78);
  ASSERT_EQ(p.size(), 15u);
  EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 8), Key());
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 8, p.begin() + 12), Hex("01 02 00 80"));
  EXPECT_EQ(ReadLe<uint16_t>(p, 12), 377);
  EXPECT_EQ(p[14], 15);

  const double params[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9.5};
  encoder.SendAlmanacData(1, 5, params);
  p = LastPayload(79);
  ASSERT_EQ(p.size(), 73u);
  EXPECT_EQ(p[0], 0x45);
  EXPECT_EQ(ReadLe<double>(p, 1), 1.0);
  EXPECT_EQ(ReadLe<double>(p, 65), 9.5);

  encoder.SendEsn("ABCD", "12", "XYZW", true);
  p = LastPayload(92);
  ASSERT_EQ(p.size(), 20u);
  EXPECT_EQ(ReadLe<uint32_t>(p, 0), 0xABCDu);
  EXPECT_EQ(ReadLe<uint32_t>(p, 4), 0x12u);
  EXPECT_EQ(std::string(p.begin() + 16, p.begin() + 19), "XYZ");
  EXPECT_EQ(p[19], 1);
}

TEST_F(FrameEncoderTest, SubIdBuilders) {
  encoder.SendLogSpecificMessages(1, 2, 0x03040506);
  auto p = LastPayload(70);
  ASSERT_EQ(p.size(), 15u);
  EXPECT_EQ(p[0], 10);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 1, p.begin() + 9), Key());
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 9, p.end()), Hex("01 02 06 05 04 03"));

  encoder.SendPowerControl("RESETXYZ");
  EXPECT_EQ(LastPayload(70), Hex("05 52 45 53 45 54 00 00"));
  encoder.SendPowerControl("AB");
  EXPECT_EQ(LastPayload(70), Hex("05 41 42 00 00 00 00 00"));

  encoder.SendFileRequest("LOG1");
  EXPECT_EQ(LastPayload(70), Hex("02 4C 4F 47 31 00 00 00 00"));

  uint8_t cfg[17];
  for (int i = 0; i < 17; ++i) cfg[i] = static_cast<uint8_t>(0xA0 + i);
  encoder.SendSetConfiguration(cfg);
  p = LastPayload(70);
  ASSERT_EQ(p.size(), 18u);
  EXPECT_EQ(p[0], 4);
  EXPECT_EQ(p[17], 0xB0);

  encoder.SendStatusConfigRequest(true);
  EXPECT_EQ(LastPayload(70 + 128), Hex("03"));
  encoder.SendMemoryInfoRequest();
  EXPECT_EQ(LastPayload(70), Hex("07"));
  encoder.SendFileHeaderRequest();
  EXPECT_EQ(LastPayload(70), Hex("08"));

  encoder.SendFpuMemoryDumpRequest("1f", "200", false);
  EXPECT_EQ(LastPayload(114), Hex("04 1F C8"));
  encoder.SendFpuMemoryDumpRequest("1f", "20", true);
  EXPECT_EQ(LastPayload(114 + 128), Hex("04 1F 14"));

  const uint8_t led[3] = {7, 8, 9};
  encoder.SendLedBuzzerConfig(0x33, led, 1);
  EXPECT_EQ(LastPayload(114), Hex("02 01 33 03 07 08 09"));
  encoder.SendLedBuzzerConfig(0x33, led, 2);
  EXPECT_EQ(LastPayload(114)[1], 0);

  encoder.SendAdCommand(led);
  EXPECT_EQ(LastPayload(114), Hex("05 07 08 09"));
  std::vector<uint8_t> big(400, 0x5A);
  encoder.SendAdCommand(big);
  EXPECT_EQ(Last().size(), 261u);
}

TEST_F(FrameEncoderTest, SubIdCommandRecords) {
  std::vector<uint8_t> r(53);
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(0x80 + i);
  r[44] = 'A';
  r[45] = 0;
  r[46] = 'C';
  encoder.SendSubIdCommand(70, 1, r);
  auto p = LastPayload(70);
  ASSERT_EQ(p.size(), 54u);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], 0x80 & 7);
  EXPECT_EQ(p[2], 0x81);
  EXPECT_EQ(p[41], 0x80 + 40);
  EXPECT_EQ(ReadLe<uint16_t>(p, 42), 0x80 + 41 + ((0x80 + 42) << 8));
  EXPECT_EQ(p[44], 0x80 + 43);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 45, p.begin() + 48), Hex("41 00 00"));  // text ends at the zero
  EXPECT_EQ(p[48], (0x80 + 47) & 0x1F);
  EXPECT_EQ(p[53], 0x80 + 52);

  std::vector<uint8_t> z(53, 0);
  encoder.SendSubIdCommand(70, 1, z);  // the file-manager poll record
  EXPECT_EQ(Last().size(), 60u);

  std::vector<uint8_t> r6(19);
  for (std::size_t i = 0; i < r6.size(); ++i) r6[i] = static_cast<uint8_t>(i + 1);
  encoder.SendSubIdCommand(70, 6, r6);
  p = LastPayload(70);
  ASSERT_EQ(p.size(), 22u);
  EXPECT_EQ(p[0], 6);
  EXPECT_EQ(p[1], 1);
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 2, p.begin() + 6), Hex("02 03 04 05"));
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 6, p.begin() + 8), Hex("00 00"));
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 8, p.begin() + 16), Hex("08 09 0A 0B 0C 0D 0E 0F"));
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 16, p.end()), Hex("10 11 12 13 00 00"));

  std::vector<uint8_t> ad = {1, 2, 3, 0, 0, 9, 0, 0, 0};
  encoder.SendSubIdCommand(114, 1, ad);
  EXPECT_EQ(LastPayload(114), Hex("01 01 02 03 00 00 09 00 00 00"));
  ad[3] = 5;
  encoder.SendSubIdCommand(114, 1, ad);
  EXPECT_EQ(LastPayload(242), Hex("01 01 02 03 05 00 09 00 00 00"));

  const std::size_t before = port.sent.size();
  encoder.SendSubIdCommand(70, 2, r);
  encoder.SendSubIdCommand(12, 1, r);
  EXPECT_EQ(port.sent.size(), before);
  encoder.SendSubIdCommand(70, 1, {});  // a short record reads as zeros, never past its end
  EXPECT_EQ(Last().size(), 60u);
}

}  // namespace
}  // namespace orv
