// The sharing server: a gpsd-protocol port, an NMEA port and an NMEA pseudo-terminal, all
// served from the caller's own loop without threads. Every socket is non-blocking; Service
// waits on them with poll and does what is ready. Nothing a client sends reaches the receiver.
// A client that does not read gets a bounded queue and is dropped when it overflows; one that
// sends a line longer than a request can be is answered with an ERROR object and dropped.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "share/ClientQueue.h"
#include "share/GpsdJson.h"
#include "share/ShareFeed.h"

namespace orv {

inline constexpr uint16_t kGpsdPort = 2947;
inline constexpr uint16_t kNmeaSharePort = 10110;

struct ShareEndpoint {
  std::string host = "127.0.0.1";
  uint16_t port = 0;  // 0: any free port
};

// "ADDR:PORT", "ADDR" (the default port) or "PORT" (on 127.0.0.1). ADDR is an IPv4 address or
// "localhost"; none for anything else.
std::optional<ShareEndpoint> ParseShareEndpoint(const std::string& text, uint16_t defaultPort);

struct ShareServerOptions {
  std::size_t queueBytes = 256 * 1024;  // per client
  std::size_t maxRequestLine = 1024;    // gpsd allows 80 characters
};

struct ShareCounters {
  uint64_t accepted = 0;
  uint64_t droppedSlow = 0;     // queue overflowed
  uint64_t droppedBadLine = 0;  // request line too long
  uint64_t errorsAnswered = 0;  // requests answered with ERROR
  uint64_t tpv = 0, sky = 0, nmea = 0;
};

class ShareServer : public ShareListener {
 public:
  explicit ShareServer(ShareDevice device, ShareServerOptions options = {});
  ~ShareServer() override;
  ShareServer(const ShareServer&) = delete;
  ShareServer& operator=(const ShareServer&) = delete;

  // False, with the reason in `error`, when the address cannot be listened on.
  bool ListenGpsd(const ShareEndpoint& at, std::string& error);
  bool ListenNmea(const ShareEndpoint& at, std::string& error);
  // Opens a pseudo-terminal that carries the NMEA sentences; nmeaPtyPath() names its side for
  // the consumer.
  bool OpenNmeaPty(std::string& error);

  // "127.0.0.1:2947" of the listening sockets; empty when not listening.
  const std::string& gpsdAddress() const { return gpsdAddress_; }
  const std::string& nmeaAddress() const { return nmeaAddress_; }
  const std::string& nmeaPtyPath() const { return ptyPath_; }
  bool active() const { return gpsdListen_ >= 0 || nmeaListen_ >= 0 || ptyMaster_ >= 0; }

  // Accepts new clients, answers their requests and sends what waits, waiting at most
  // timeoutMs for something to be ready (0: only what is ready now).
  void Service(int timeoutMs);
  void Close();

  void OnTpv(const std::string& json, const std::string& time) override;
  void OnSky(const std::string& json) override;
  void OnNmea(const std::string& sentence) override;

  std::size_t clientCount() const { return clients_.size(); }
  const ShareCounters& counters() const { return counters_; }
  const ShareDevice& device() const { return device_; }

 private:
  struct Client {
    int fd = -1;
    bool gpsd = true;
    ClientQueue queue;
    std::string input;
    bool watch = false, json = false, nmea = false;
    bool closing = false;
    Client(int f, bool g, std::size_t limit) : fd(f), gpsd(g), queue(limit) {}
  };

  void Accept(int listenFd, bool gpsd);
  void ReadFrom(Client& c);
  void Answer(Client& c, const std::string& line);
  void Send(Client& c, const std::string& bytes);
  void Flush(Client& c);
  void Reap();
  void WritePty(const std::string& bytes);

  ShareDevice device_;
  ShareServerOptions options_;
  int gpsdListen_ = -1, nmeaListen_ = -1;
  std::string gpsdAddress_, nmeaAddress_;
  int ptyMaster_ = -1;
  std::string ptyPath_;
  ClientQueue ptyQueue_;
  std::vector<std::unique_ptr<Client>> clients_;
  std::string lastTpv_, lastTpvTime_, lastSky_;
  ShareCounters counters_;
};

}  // namespace orv
