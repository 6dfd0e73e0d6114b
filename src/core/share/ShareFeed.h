// What the console shares of the receiver's stream: it watches the decoder as an observer and
// turns it into gpsd reports (TPV from each epoch, SKY from each satellite view) and NMEA
// sentences (those received, in NMEA; those made from the solution, in KTX Binary). The epochs
// are the track tools' own: message 20 or 21 in KTX Binary, GGA and RMC merged in NMEA.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "nmea/ReceiverDecoder.h"
#include "share/GpsdJson.h"
#include "track/EpochReader.h"

namespace orv {

class ShareListener {
 public:
  virtual ~ShareListener() = default;
  // A TPV object and the time it carries (empty when it has none).
  virtual void OnTpv(const std::string& json, const std::string& time) = 0;
  virtual void OnSky(const std::string& json) = 0;
  // One sentence, CR LF included.
  virtual void OnNmea(const std::string& sentence) = 0;
};

class ShareFeed : public DecodeObserver, public EpochSink {
 public:
  // protocolSelector: 1 KTX Binary, 0 NMEA, as the decoder's.
  ShareFeed(const ReceiverDecoder& decoder, int protocolSelector, std::string device, ShareListener& listener);
  ShareFeed(const ShareFeed&) = delete;
  ShareFeed& operator=(const ShareFeed&) = delete;

  void OnFrame(uint64_t offset, const uint8_t* frame, int length) override;
  void OnSentence(uint64_t offset, const char* sentence, int length, int slot) override;
  // Hands on the epoch still being gathered (NMEA), at the end of a log.
  void Finish();

  const std::optional<ShareFix>& lastFix() const { return lastFix_; }
  const std::optional<SkyView>& lastSky() const { return lastSky_; }
  uint64_t epochs() const { return epochs_; }

  void OnEpoch(const Epoch& epoch, uint64_t offset) override;

 private:
  void AddKtxExtras(ShareFix& fix) const;
  void OnSvStatus();
  void OnGsa();
  void OnGsv();
  void PublishSky(SkyView sky);

  const ReceiverDecoder& decoder_;
  int protocol_;
  std::string device_;
  ShareListener& listener_;
  std::unique_ptr<EpochReader> reader_;
  std::optional<ShareFix> lastFix_;
  std::optional<SkyView> lastSky_;
  uint64_t epochs_ = 0;
  // Message 49's "MSL model enabled": whether message 20's altitude is above sea level;
  // unknown until one arrives (the height is then taken as the ellipsoid's).
  std::optional<bool> mslAltitude_;
  // NMEA: the geoid separation of the GGA whose epoch is handed on. The reader hands an epoch
  // on when the next one's first sentence comes, by which time the record holds the new one.
  std::optional<double> separation_, lastSeparation_;
  // NMEA: the last GSA, and the GSV sentences of the set being gathered.
  std::vector<int> gsaUsed_;
  std::optional<double> gsaPdop_, gsaHdop_, gsaVdop_;
  std::vector<SkySatellite> gsvSatellites_;
  int gsvExpected_ = 0;
};

}  // namespace orv
