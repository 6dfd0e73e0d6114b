// The NMEA message windows: one page per sentence kind showing the fields of its last
// sentence, with the popup that asks the receiver for the sentence once, periodically or no
// more; and the page of the sentence counts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "forms/Form.h"
#include "nmea/NmeaRecords.h"
#include "nmea/NmeaWindowLinks.h"
#include "platform/Links.h"
#include "protocol/DecoderState.h"
#include "windows/MessageWindows.h"
#include "windows/Page.h"

namespace orv {

namespace nmeacmd {
inline constexpr int kContinuousOneSecond = pagecmd::kSpecific1;
inline constexpr int kContinuous = pagecmd::kContinuous;
inline constexpr int kOneShot = pagecmd::kOneShot;
inline constexpr int kStop = pagecmd::kSpecific2;
inline constexpr int kInformation = pagecmd::kSpecific3;
inline constexpr int kOneShotSelfTest = pagecmd::kSpecific4;
inline constexpr int kSetReceiverParameter = pagecmd::kSpecific3;
}  // namespace nmeacmd

// A field whose presence byte is 0 is drawn as this many blanks.
inline constexpr std::size_t kNmeaValueWidth = 31;

// The texts of the values, as the windows draw them.
// "%2d:%2d:%5.2f": 9:05:03.5 is " 9: 5: 3.50".
std::string NmeaTimeText(int hour, int minute, double seconds);
// "%d° %7.4f'" and, with a hemisphere, " %C"; the degree sign in UTF-8.
std::string NmeaAngleText(int degrees, double minutes, char hemisphere, bool hemispherePresent);
// ddmmyy: each part "0%d" below 10 and "%2d" otherwise.
std::string NmeaDateText(uint32_t ddmmyy);
// Month 1 to 12 by name; any other value as its number.
std::string NmeaMonthText(int month);
// Position mode 1 to 3 by name; any other value as its number.
std::string NmeaFixModeText(int mode);

// The dialog of "Continuous": whole seconds 0 to 999 between two outputs.
Form IntervalForm();
inline constexpr int kIntervalField = 1000;

// The "Set receiver parameter" dialog, filled from the last report when there is one, and the
// data of the $PQTLG,008 sentence it sends.
Form ReceiverParameterForm(const NmeaRxParamRecord* last);
std::string ReceiverParameterData(const Form& form);
namespace rxparam {
inline constexpr int kTimeAlignment = 1001;
inline constexpr int kMslModel = 1002;
inline constexpr int kTropoModel = 1003;
inline constexpr int kMaskAngle = 1004;
inline constexpr int kDatum = 1005;
inline constexpr int kDgpsMode = 1006;
inline constexpr int kCoastTime = 1007;
inline constexpr int kAuxBaud = 1008;
inline constexpr int kLatLonResolution = 1009;
inline constexpr int kUtcResolution = 1010;
inline constexpr const char* kAuxBaudMessage = "Auxiliary Baud Rate should be a multiple of 300.";
}  // namespace rxparam

// One line of an NMEA page: its label, the record field whose presence decides whether the
// value is shown (-1: always) and the value's text.
template <typename Record>
struct NmeaRow {
  int y;
  const char* label;  // null: no label
  int field;
  std::string (*value)(const Record& record);  // null: a label only
};

// Where a page draws and what its menu asks for: the three-letter code of its sentence.
struct NmeaPageLayout {
  int labelX;
  int valueX;
  const char* code;
};

// What the popups of the NMEA pages send, through the page's NMEA encoder.
class NmeaRequests {
 public:
  NmeaRequests(const PageContext& context, const char* code) : context_(context), code_(code) {}
  void ContinuousOneSecond() const;
  // Asks for the interval; sends nothing when the dialog is cancelled.
  void Continuous() const;
  void OneShot() const;
  void Stop() const;
  // One sentence now, without stopping the periodic output.
  void Query() const;
  void RunSelfTest() const;
  void SetReceiverParameter(const NmeaRxParamRecord* last) const;

 private:
  void SendRate(uint16_t rate) const;
  const PageContext& context_;
  const char* code_;
};

template <typename Record>
class NmeaPage : public LinkedPage<Record, NmeaRecordLink<Record>> {
 public:
  NmeaPage(const PageSpec& spec, const PageContext& context, const NmeaPageLayout& layout,
           std::span<const NmeaRow<Record>> rows)
      : LinkedPage<Record, NmeaRecordLink<Record>>(spec, context), layout_(layout), rows_(rows),
        requests_(this->context(), layout.code) {}

  void ShowRecord(const Record* record) override {
    if (record != nullptr) this->SetRecord(*record);
  }

 protected:
  void DrawLabels(Canvas& canvas) override {
    for (const NmeaRow<Record>& row : rows_) {
      if (row.label != nullptr) canvas.TextOut(layout_.labelX, row.y, row.label);
    }
  }
  void DrawValues(Canvas& canvas) override {
    const Record& r = *this->record();
    for (const NmeaRow<Record>& row : rows_) {
      if (row.value == nullptr) continue;
      const bool shown = row.field < 0 || r.has(row.field);
      ValueOut(canvas, layout_.valueX, row.y, shown ? row.value(r) : std::string(), kNmeaValueWidth);
    }
  }
  void OnPageCommand(int command) override {
    switch (command) {
      case nmeacmd::kContinuousOneSecond: requests_.ContinuousOneSecond(); break;
      case nmeacmd::kContinuous: requests_.Continuous(); break;
      case nmeacmd::kOneShot: requests_.OneShot(); break;
      case nmeacmd::kStop: requests_.Stop(); break;
      default: OnOwnCommand(command); break;
    }
  }
  virtual void OnOwnCommand(int command) { (void)command; }
  const NmeaRequests& requests() const { return requests_; }
  const NmeaPageLayout& layout() const { return layout_; }

 private:
  NmeaPageLayout layout_;
  std::span<const NmeaRow<Record>> rows_;
  NmeaRequests requests_;
};

class CNMEARecMinGPSWnd : public NmeaPage<NmeaRmcRecord> {
 public:
  explicit CNMEARecMinGPSWnd(const PageContext& context);
};
class CNMEANavigationStatusWnd : public NmeaPage<NmeaNavStatusRecord> {
 public:
  explicit CNMEANavigationStatusWnd(const PageContext& context);
};
class CNMEASVsInViewWnd : public NmeaPage<NmeaGsvRecord> {
 public:
  explicit CNMEASVsInViewWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};
class CNMEAGPSFixDataWnd : public NmeaPage<NmeaGgaRecord> {
 public:
  explicit CNMEAGPSFixDataWnd(const PageContext& context);
};
class CNMEATrackSpeedWnd : public NmeaPage<NmeaVtgRecord> {
 public:
  explicit CNMEATrackSpeedWnd(const PageContext& context);
};
class CNMEAUserPositionWnd : public NmeaPage<NmeaUserPositionRecord> {
 public:
  explicit CNMEAUserPositionWnd(const PageContext& context);
};
class CNMEATimeDateWnd : public NmeaPage<NmeaZdaRecord> {
 public:
  explicit CNMEATimeDateWnd(const PageContext& context);
};
class CNMEARadiobeaconInfoWnd : public NmeaPage<NmeaRadiobeaconRecord> {
 public:
  explicit CNMEARadiobeaconInfoWnd(const PageContext& context);

 protected:
  void OnOwnCommand(int command) override;
};
class CNMEASelftestWnd : public NmeaPage<NmeaSelfTestRecord> {
 public:
  explicit CNMEASelftestWnd(const PageContext& context);

 protected:
  void OnOwnCommand(int command) override;
};
class CNMEADOPActiveSVsWnd : public NmeaPage<NmeaGsaRecord> {
 public:
  explicit CNMEADOPActiveSVsWnd(const PageContext& context);
};
class CNMEABeaconRxSignalWnd : public NmeaPage<NmeaMssRecord> {
 public:
  explicit CNMEABeaconRxSignalWnd(const PageContext& context);

 protected:
  void OnOwnCommand(int command) override;
};
class CNMEARxParamWnd : public NmeaPage<NmeaRxParamRecord> {
 public:
  explicit CNMEARxParamWnd(const PageContext& context);

 protected:
  void OnOwnCommand(int command) override;
};
class CNMEAToWaypointWnd : public NmeaPage<NmeaToWaypointRecord> {
 public:
  explicit CNMEAToWaypointWnd(const PageContext& context);
};
class CNMEAGeogPosWnd : public NmeaPage<NmeaGllRecord> {
 public:
  explicit CNMEAGeogPosWnd(const PageContext& context);
};

// The sentence counts by kind, the sentence total and the checksum errors.
class CNMEAMsgWnd : public Page, public NmeaCountLink {
 public:
  struct Slot {
    int slot;
    const char* name;
  };
  static std::span<const Slot> Slots();

  explicit CNMEAMsgWnd(const PageContext& context);
  void WatchCounters(const DecoderCounters* counters) { counters_ = counters; }
  void OnCounts(const uint32_t* nmeaCountBySlot) override;
  bool hasRecord() const override { return counts_ != nullptr; }

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void ClearRecord() override {}

 private:
  const DecoderCounters* counters_ = nullptr;
  const uint32_t* counts_ = nullptr;
};

std::span<const PageKind> NmeaPageKinds();

}  // namespace orv
