// The dialogs of the NMEA Tool Setting menu that end in a request sentence: "Clear NVM"
// ($PQTLG,007), "Radiobeacon Command" ($GPMSK) and "Set receiver parameter" ($PQTLG,008).
#pragma once

#include <optional>
#include <string>

#include "forms/Form.h"
#include "nmea/NmeaEncoder.h"
#include "nmea/NmeaRecords.h"
#include "platform/Desktop.h"

namespace orv {

// "Radiobeacon Command": the beacon frequency and bit rate, each chosen by the receiver or
// fixed, and the seconds between two $GPMSS reports (0: none), as NMEA 0183 orders $GPMSK:
//   $GPMSK,<kHz>,<A|M>,<bit/s>,<A|M>,<s>
class RadiobeaconForm {
 public:
  static constexpr int kFrequency = 1901;
  static constexpr int kFrequencyMode = 1902;  // "Auto", "Manual"
  static constexpr int kBitRate = 1903;        // "25", "50", "100", "200"
  static constexpr int kBitRateMode = 1904;    // "Auto", "Manual"
  static constexpr int kInterval = 1905;

  RadiobeaconForm();
  Form& form() { return form_; }
  // The sentence data after the address; nothing before OK.
  const std::optional<std::string>& accepted() const { return accepted_; }

 private:
  Form form_;
  std::optional<std::string> accepted_;
};

// "Initialization Data" ($PQTLG,001): the reference UTC date and time, then the user position,
// each from its dialog, in NMEA 0183 field forms:
//   ,hhmmss,dd,mm,yyyy,ddmm.mmmm,N|S,dddmm.mmmm,E|W,<altitude m>
struct CalendarRecord;
struct GeodeticPosition;
std::string InitializationData(const CalendarRecord& utc, const GeodeticPosition& position);

bool IsNmeaCommandDialog(int command);
// `last` is the receiver's last parameter report, which the parameter dialog starts from.
bool RunNmeaCommandDialog(int command, Desktop& runner, NmeaEncoder& encoder, const NmeaRxParamRecord* last);

}  // namespace orv
