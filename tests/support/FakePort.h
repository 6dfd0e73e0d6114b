// A serial port double: bytes queued by the test are what the "driver" holds; everything
// sent is recorded. Open and close are logged with their settings.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/PortChannel.h"

namespace orv::test {

class FakePort : public PortChannel {
 public:
  explicit FakePort(StreamDecoder* sink = nullptr) : sink_(sink) {}

  bool Open(const std::string& name, uint32_t baud, char parity, int dataBits, int stopBits) override {
    (void)parity;
    (void)dataBits;
    (void)stopBits;
    log.push_back("open " + name + " " + std::to_string(baud));
    this->name = name;
    this->baud = baud;
    open = openSucceeds;
    return open;
  }
  void Close() override {
    log.push_back("close");
    open = false;
  }
  bool IsOpen() const override { return open; }
  std::string OpenError() const override { return open ? std::string() : openError; }
  void SetFlowControl(uint32_t handshake) override { log.push_back("flow " + std::to_string(handshake)); }
  bool Read(uint8_t* buffer, uint32_t maxBytes, uint32_t& bytesRead) override {
    bytesRead = 0;
    if (!open) return false;
    ++reads;
    if (trace != nullptr) trace->push_back(name + " read");
    const uint32_t n = std::min<uint32_t>(maxBytes, static_cast<uint32_t>(pending.size()));
    for (uint32_t i = 0; i < n; ++i) {
      buffer[i] = pending.front();
      pending.pop_front();
    }
    bytesRead = n;
    return true;
  }
  uint32_t Receive(uint32_t maxBytes) override {
    if (sink_ == nullptr || !open) return 0;
    std::vector<uint8_t> block(maxBytes + 1);
    uint32_t n = 0;
    if (!Read(block.data(), maxBytes, n)) return 0;
    sink_->Decode(block.data(), n);
    return n;
  }
  bool Send(const uint8_t* bytes, uint32_t count) override {
    if (!open) return false;
    sent.emplace_back(bytes, bytes + count);
    return true;
  }

  void Queue(const std::vector<uint8_t>& bytes) { pending.insert(pending.end(), bytes.begin(), bytes.end()); }
  void SetSink(StreamDecoder* sink) { sink_ = sink; }

  bool openSucceeds = true;
  std::string openError = "/dev/ttyFAKE: No such file or directory";
  std::vector<std::string>* trace = nullptr;  // shared by several ports to see their order
  bool open = false;
  std::string name;
  uint32_t baud = 0;
  int reads = 0;
  std::deque<uint8_t> pending;
  std::vector<std::vector<uint8_t>> sent;
  std::vector<std::string> log;

 private:
  StreamDecoder* sink_;
};

}  // namespace orv::test
