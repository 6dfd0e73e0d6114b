// A main frame on fake ports whose further ports (the ones the port dialogs and Auto Connect
// make to probe) open only the names the test declares free, and log every name they try.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"

namespace orv::test {

class ProbePort : public FakePort {
 public:
  ProbePort(const std::set<std::string>& free, std::vector<std::string>& tried) : free_(free), tried_(tried) {}
  bool Open(const std::string& name, uint32_t baud, char parity, int dataBits, int stopBits) override {
    tried_.push_back(name);
    openSucceeds = free_.count(name) != 0;
    return FakePort::Open(name, baud, parity, dataBits, stopBits);
  }

 private:
  const std::set<std::string>& free_;
  std::vector<std::string>& tried_;
};

// ports[0..2] are the frame's main, aux and output ports.
struct ProbedFrame {
  ProbedFrame()
      : frame(desk, [this](StreamDecoder* sink) -> std::unique_ptr<PortChannel> {
          if (ports.size() < 3) {
            auto port = std::make_unique<FakePort>(sink);
            ports.push_back(port.get());
            return port;
          }
          return std::make_unique<ProbePort>(free, tried);
        }) {}

  FakePort& mainPort() { return *ports[0]; }
  FakePort& auxPort() { return *ports[1]; }
  FakePort& outputPort() { return *ports[2]; }

  FakeDesktop desk;
  std::set<std::string> free;
  std::vector<std::string> tried;
  std::vector<FakePort*> ports;
  CMainFrame frame;
};

}  // namespace orv::test
