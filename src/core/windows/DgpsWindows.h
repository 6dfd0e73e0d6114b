// The differential windows: DGPS status (48) and WAAS status (68) with their message counters,
// DGPS configuration (43) and the RTCM data retransmitted by the receiver (83).
#pragma once

#include <cstdint>

#include "windows/FieldTable.h"

namespace orv {

// A status window that counts the messages it is shown until "Clear Counters".
template <typename Record>
class CountingPage : public RecordPage<Record> {
 public:
  using RecordPage<Record>::RecordPage;
  void ShowRecord(const Record& record) override {
    ++received_;
    RecordPage<Record>::ShowRecord(record);
  }
  uint32_t received() const { return received_; }

 protected:
  void ClearCounters() override { received_ = 0; }

 private:
  uint32_t received_ = 0;
};

class CDGPSStatWnd : public CountingPage<DgpsStatusRecord> {
 public:
  explicit CDGPSStatWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

class CWAASStatusWnd : public CountingPage<WaasStatusRecord> {
 public:
  explicit CWAASStatusWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

class CDGPSConfigWnd : public RecordPage<DgpsConfigRecord> {
 public:
  explicit CDGPSConfigWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

// The accumulated RTCM data, 16 bytes to a row; it sends no request.
class CDGPSDataWnd : public RecordPage<DgpsDataRecord> {
 public:
  explicit CDGPSDataWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
};

}  // namespace orv
