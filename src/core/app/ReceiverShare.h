// "Share with gpsd Clients" of the File menu: while a port or a log is open, the console
// serves what it decodes to other software on this machine, the gpsd JSON protocol on
// 127.0.0.1:2947 and NMEA 0183 on 127.0.0.1:10110, and says where in its status bar. The
// frame's poll services the sockets; a protocol switch restarts the reports in the new one.
#pragma once

#include <memory>
#include <string>

#include "share/ShareFeed.h"
#include "share/ShareServer.h"

namespace orv {

class CMainFrame;

inline constexpr char kShareCaption[] = "Share with gpsd Clients";

class ReceiverShare {
 public:
  explicit ReceiverShare(CMainFrame& frame) : frame_(frame) {}
  ~ReceiverShare();
  ReceiverShare(const ReceiverShare&) = delete;
  ReceiverShare& operator=(const ReceiverShare&) = delete;

  // The menu command: starts sharing the open input, or stops. Without an input, or when an
  // address cannot be listened on, a message box says so.
  void Toggle();
  void Stop();
  // From the poll, after the decoding: answers clients and sends what waits, without waiting.
  void Service();
  bool active() const { return server_ != nullptr; }
  // The status bar's text: "gpsd 127.0.0.1:2947  NMEA 127.0.0.1:10110"; empty when stopped.
  std::string paneText() const;
  ShareServer* server() { return server_.get(); }

  // Where it listens; tests choose free ports (port 0).
  void SetEndpoints(ShareEndpoint gpsd, ShareEndpoint nmea) {
    gpsd_ = std::move(gpsd);
    nmea_ = std::move(nmea);
  }

 private:
  void AttachFeed();

  CMainFrame& frame_;
  ShareEndpoint gpsd_{"127.0.0.1", kGpsdPort};
  ShareEndpoint nmea_{"127.0.0.1", kNmeaSharePort};
  std::unique_ptr<ShareServer> server_;
  std::unique_ptr<ShareFeed> feed_;
  int feedProtocol_ = 1;
};

}  // namespace orv
