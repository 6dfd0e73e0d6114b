// The port dialog's fields, the probing of the ports when it opens, and its values.
#include "serial/PortDialog.h"

#include <algorithm>

#include "serial/PortNames.h"
#include "util/Format.h"

namespace orv {

namespace {
constexpr char kCaption[] = "Serial Port Configuration";
constexpr char kNoPort[] = "NONE";
}  // namespace

bool TestOpen(PortChannel& port, const std::string& portName) {
  const bool ok = port.Open(portName, 9600, 'N', 8, 1);
  port.Close();
  return ok;
}

bool IsNoPort(const std::string& portName) { return portName.empty() || portName.rfind(kNoPort, 0) == 0; }

const std::vector<uint32_t>& PortDialog::Rates() {
  static const std::vector<uint32_t> rates = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
  return rates;
}

PortDialog::PortDialog(uint32_t baud, int32_t flowChoice, PortChannel& probe) :
    PortDialog(baud, flowChoice, probe, SystemSerialDevices()) {}

PortDialog::PortDialog(uint32_t baud, int32_t flowChoice, PortChannel& probe, const std::vector<std::string>& devices)
    : form_(kCaption) {
  std::vector<std::string> names, labels;
  for (int n = 1; n <= kPortCount; ++n) names.push_back(Format("COM%d", n));
  for (const PortMapping& m : MapPortNames(names, devices)) {
    const std::string shown = "Com" + m.name.substr(3);
    labels.push_back(m.device.empty() ? shown : shown + " (" + m.device + ")");
  }
  form_.AddRadioGroup(kPortGroup, "", labels, -1);

  std::vector<std::string> rateTexts;
  const auto& rates = Rates();
  for (uint32_t r : rates) rateTexts.push_back(Format("%u", r));
  auto found = std::find(rates.begin(), rates.end(), baud);
  if (found == rates.end()) found = std::find(rates.begin(), rates.end(), kFallbackBaud);
  form_.AddRadioGroup(kBaudGroup, "", rateTexts, static_cast<int>(found - rates.begin()));

  form_.AddRadioGroup(kFlowGroup, "Data Flow", {"None", "H/W"}, flowChoice == 1 ? 1 : 0);
  form_.AddEdit(kTypedName, "Other port", EditKind::Text).maxChars = kTypedNameLimit;
  form_.AddOkCancel();

  // Only ports that open now are offered; the first of them is the proposal.
  FormField& ports = *form_.field(kPortGroup);
  for (int i = 0; i < kPortCount; ++i) {
    const bool free = TestOpen(probe, names[static_cast<std::size_t>(i)]);
    form_.SetOptionEnabled(kPortGroup, i, free);
    if (free && ports.selected < 0) ports.selected = i;
  }
  // The flow choice is not offered: the output port keeps the choice it starts with.
  form_.SetEnabled(kFlowGroup, false);
}

std::string PortDialog::portName() const {
  std::string typed = form_.Text(kTypedName);
  const std::size_t first = typed.find_first_not_of(" \t");
  if (first != std::string::npos) {
    const std::size_t last = typed.find_last_not_of(" \t");
    return typed.substr(first, last - first + 1);
  }
  const int i = form_.Selected(kPortGroup);
  return i < 0 || i >= kPortCount ? std::string(kNoPort) : Format("COM%d", i + 1);
}

uint32_t PortDialog::baudRate() const {
  const int i = form_.Selected(kBaudGroup);
  const auto& rates = Rates();
  return i < 0 || i >= static_cast<int>(rates.size()) ? kFallbackBaud : rates[static_cast<std::size_t>(i)];
}

int32_t PortDialog::flowChoice() const { return form_.Selected(kFlowGroup) == 1 ? 1 : 0; }

}  // namespace orv
