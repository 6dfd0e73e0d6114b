// The serial port's open, close and transfer sequences, over a device double that logs every
// call, so the order of the steps and what the port hands the device can be checked.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "serial/SerialPort.h"

namespace orv {
namespace {

struct DeviceLog {
  std::vector<std::string> calls;
  LineSettings applied;
  std::vector<uint8_t> written;
};

class ScriptedDevice : public SerialDevice {
 public:
  explicit ScriptedDevice(DeviceLog* log) : log_(log) {}
  bool Open(const std::string& path) override {
    log_->calls.push_back("open " + path);
    valid_ = openSucceeds;
    return valid_;
  }
  bool IsHandleValid() const override { return valid_; }
  bool ApplySettings(const LineSettings& s) override {
    log_->calls.push_back("apply");
    log_->applied = s;
    return settingsSucceed;
  }
  bool Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) override {
    log_->calls.push_back("read " + std::to_string(maxBytes));
    bytesRead = 0;
    while (bytesRead < maxBytes && !pending.empty()) {
      buffer[bytesRead++] = pending.front();
      pending.pop_front();
    }
    return readSucceeds;
  }
  bool Write(const uint8_t* bytes, uint32_t count, uint32_t& written) override {
    log_->calls.push_back("write " + std::to_string(count));
    log_->written.insert(log_->written.end(), bytes, bytes + count);
    written = count;
    return true;
  }
  void SetRts(bool on) override { log_->calls.push_back(on ? "rts on" : "rts off"); }
  void SetDtr(bool on) override { log_->calls.push_back(on ? "dtr on" : "dtr off"); }
  void Purge() override { log_->calls.push_back("purge"); }
  void Close() override {
    log_->calls.push_back("close");
    valid_ = false;
  }

  bool openSucceeds = true;
  bool settingsSucceed = true;
  bool readSucceeds = true;
  std::deque<uint8_t> pending;

 private:
  DeviceLog* log_;
  bool valid_ = false;
};

class CountingSink : public StreamDecoder {
 public:
  uint32_t Decode(uint8_t* bytes, uint32_t count) override {
    ++calls;
    block.assign(bytes, bytes + count);
    bytes[count] = 0;  // the spare byte a terminal link writes
    return 0;          // a serial port ignores what the sink used
  }
  int calls = 0;
  std::vector<uint8_t> block;
};

struct Rig {
  explicit Rig(StreamDecoder* sink = nullptr) {
    auto d = std::make_unique<ScriptedDevice>(&log);
    device = d.get();
    port = std::make_unique<SerialPort>(sink, std::move(d), [](const std::string& name) {
      return name == "NOWHERE" ? std::string() : "/dev/" + name;
    });
  }
  DeviceLog log;
  ScriptedDevice* device;
  std::unique_ptr<SerialPort> port;
};

using Calls = std::vector<std::string>;

TEST(SerialPort, OpenAppliesSettingsThenRaisesRtsAndDtr) {
  Rig rig;
  EXPECT_TRUE(rig.port->Open("ttyS3", 115200, 'N', 8, 1));
  EXPECT_TRUE(rig.port->IsOpen());
  EXPECT_EQ(rig.log.calls, (Calls{"open /dev/ttyS3", "apply", "rts on", "dtr on"}));
  EXPECT_EQ(rig.log.applied.baud, 115200u);
  EXPECT_EQ(rig.log.applied.dataBits, 8);
  EXPECT_EQ(rig.log.applied.parity, Parity::None);
  EXPECT_EQ(rig.log.applied.stopBitsCode, 0);
  EXPECT_EQ(rig.log.applied.flowControl, kFlowNone);
  EXPECT_EQ(rig.port->devicePath(), "/dev/ttyS3");
}

TEST(SerialPort, ParityLettersInEitherCaseAndStopBits) {
  const struct { char letter; Parity parity; } cases[] = {
      {'e', Parity::Even}, {'E', Parity::Even}, {'o', Parity::Odd},  {'O', Parity::Odd}, {'m', Parity::Mark},
      {'S', Parity::Space}, {'N', Parity::None}, {'x', Parity::None}, {0, Parity::None},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.port->Open("ttyS0", 9600, c.letter, 7, 1);
    EXPECT_EQ(rig.log.applied.parity, c.parity) << "letter " << int(c.letter);
    EXPECT_EQ(rig.log.applied.dataBits, 7);
  }
  for (const auto& [given, code] : {std::pair{1, 0}, std::pair{2, 2}, std::pair{3, 0}, std::pair{0, 0}}) {
    Rig rig;
    rig.port->Open("ttyS0", 9600, 'N', 8, given);
    EXPECT_EQ(rig.log.applied.stopBitsCode, code) << "stop bits " << given;
  }
}

TEST(SerialPort, FailedOpenOrUnknownNameLeavesPortClosed) {
  Rig rig;
  rig.device->openSucceeds = false;
  EXPECT_FALSE(rig.port->Open("ttyS0", 9600, 'N', 8, 1));
  EXPECT_FALSE(rig.port->IsOpen());
  EXPECT_EQ(rig.log.calls, (Calls{"open /dev/ttyS0"}));

  Rig unknown;
  EXPECT_FALSE(unknown.port->Open("NOWHERE", 9600, 'N', 8, 1));
  EXPECT_TRUE(unknown.log.calls.empty());
}

TEST(SerialPort, FailedSettingsKeepHandleButRefuseTransfersUntilReleased) {
  CountingSink sink;
  Rig rig(&sink);
  rig.device->settingsSucceed = false;
  EXPECT_FALSE(rig.port->Open("ttyS0", 9600, 'N', 8, 1));
  EXPECT_FALSE(rig.port->IsOpen());
  EXPECT_TRUE(rig.device->IsHandleValid());
  EXPECT_EQ(rig.log.calls, (Calls{"open /dev/ttyS0", "apply", "rts on", "dtr on"}));

  rig.log.calls.clear();
  uint8_t buf[8];
  uint32_t n = 99;
  EXPECT_FALSE(rig.port->Read(buf, sizeof buf, n));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(rig.port->Send(buf, 3));
  EXPECT_EQ(rig.port->Receive(1000), 0u);
  EXPECT_TRUE(rig.log.calls.empty());
  EXPECT_EQ(sink.calls, 0);

  // The next open releases the kept handle before opening again.
  rig.device->settingsSucceed = true;
  EXPECT_TRUE(rig.port->Open("ttyS1", 4800, 'N', 8, 1));
  EXPECT_EQ(rig.log.calls,
            (Calls{"dtr off", "rts off", "purge", "close", "open /dev/ttyS1", "apply", "rts on", "dtr on"}));
}

TEST(SerialPort, CloseDropsLinesPurgesAndCloses) {
  Rig rig;
  rig.port->Open("ttyS0", 9600, 'N', 8, 1);
  rig.log.calls.clear();
  rig.port->Close();
  EXPECT_FALSE(rig.port->IsOpen());
  EXPECT_EQ(rig.log.calls, (Calls{"dtr off", "rts off", "purge", "close"}));

  // Closed again, or never opened: only the flag is cleared.
  rig.log.calls.clear();
  rig.port->Close();
  Rig never;
  never.port->Close();
  EXPECT_TRUE(rig.log.calls.empty());
  EXPECT_TRUE(never.log.calls.empty());
  EXPECT_FALSE(never.port->IsOpen());
}

TEST(SerialPort, TestOpenClosesAgainAndReportsFreePorts) {
  Rig rig;
  EXPECT_TRUE(rig.port->TestOpen("ttyS2"));
  EXPECT_FALSE(rig.port->IsOpen());
  EXPECT_FALSE(rig.device->IsHandleValid());
  EXPECT_EQ(rig.log.applied.baud, 9600u);

  Rig busy;
  busy.device->openSucceeds = false;
  EXPECT_FALSE(busy.port->TestOpen("ttyS2"));
  EXPECT_FALSE(busy.device->IsHandleValid());
}

TEST(SerialPort, ReceiveHandsTheWholeBlockToTheSink) {
  CountingSink sink;
  Rig rig(&sink);
  EXPECT_EQ(rig.port->Receive(1000), 0u);  // closed: the sink is not called
  EXPECT_EQ(sink.calls, 0);

  rig.port->Open("ttyS0", 9600, 'N', 8, 1);
  for (uint8_t b : {1, 2, 3, 4, 5}) rig.device->pending.push_back(b);
  EXPECT_EQ(rig.port->Receive(3), 3u);
  EXPECT_EQ(sink.block, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(rig.port->Receive(1000), 2u);
  EXPECT_EQ(sink.block, (std::vector<uint8_t>{4, 5}));
  // Nothing waiting is still a successful read, handed over as an empty block.
  EXPECT_EQ(rig.port->Receive(1000), 0u);
  EXPECT_EQ(sink.calls, 3);

  rig.device->readSucceeds = false;
  rig.device->pending.push_back(9);
  EXPECT_EQ(rig.port->Receive(1000), 0u);
  EXPECT_EQ(sink.calls, 3);
  // A read that fails is a device gone: the port releases it and is lost until reopened.
  EXPECT_TRUE(rig.port->Lost());
  EXPECT_FALSE(rig.port->IsOpen());
  EXPECT_FALSE(rig.device->IsHandleValid());

  // Requests beyond the receive buffer are cut to it.
  rig.device->readSucceeds = true;
  ASSERT_TRUE(rig.port->Reopen());
  EXPECT_FALSE(rig.port->Lost());
  rig.log.calls.clear();
  rig.port->Receive(1u << 20);
  EXPECT_EQ(rig.log.calls, (Calls{"read 65535"}));
}

TEST(SerialPort, ReceiveWithoutSinkReadsNothing) {
  Rig rig;
  rig.port->Open("ttyS0", 9600, 'N', 8, 1);
  rig.device->pending.push_back(7);
  rig.log.calls.clear();
  EXPECT_EQ(rig.port->Receive(1000), 0u);
  EXPECT_TRUE(rig.log.calls.empty());
  uint8_t b = 0;
  uint32_t n = 0;
  EXPECT_TRUE(rig.port->Read(&b, 1, n));
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(b, 7);
}

TEST(SerialPort, SendWritesOnlyWhileOpen) {
  Rig rig;
  const uint8_t frame[] = {0x01, 0x14, 0xEB, 0x00, 0x00, 0x01};
  EXPECT_FALSE(rig.port->Send(frame, sizeof frame));
  EXPECT_TRUE(rig.log.written.empty());
  rig.port->Open("ttyS0", 9600, 'N', 8, 1);
  EXPECT_TRUE(rig.port->Send(frame, sizeof frame));
  EXPECT_EQ(rig.log.written, std::vector<uint8_t>(frame, frame + sizeof frame));
}

TEST(SerialPort, FlowControlReappliesSettings) {
  Rig rig;
  rig.port->Open("ttyS0", 9600, 'N', 8, 1);
  rig.log.calls.clear();
  rig.port->SetFlowControl(1);
  EXPECT_EQ(rig.port->handshake(), 1u);
  EXPECT_EQ(rig.log.applied.flowControl, kFlowHardware);
  rig.port->SetFlowControl(5);
  EXPECT_EQ(rig.log.applied.flowControl, kFlowNone);
  EXPECT_EQ(rig.log.calls, (Calls{"apply", "apply"}));
  rig.port->SetRtsLine(false);
  rig.port->SetDtrLine(true);
  EXPECT_EQ(rig.log.calls, (Calls{"apply", "apply", "rts off", "dtr on"}));
}

}  // namespace
}  // namespace orv
