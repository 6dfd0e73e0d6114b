#include "app/ReceiverShare.h"

#include "app/MainFrame.h"

namespace orv {

ReceiverShare::~ReceiverShare() { Stop(); }

void ReceiverShare::Toggle() {
  if (active()) {
    Stop();
    return;
  }
  const MainFrameState& st = frame_.state();
  if (!st.mainPortOpen && !st.playbackActive) {
    frame_.boxes().MessageBox("Open a serial port or a log file first.", kShareCaption, MessageIcon::Exclamation);
    return;
  }
  ShareDevice device;
  device.binary = frame_.config().protocolSelector() != 0;
  if (st.mainPortOpen) {
    device.path = frame_.config().mainPortName();
    device.bps = frame_.mainBaudRate();
  } else {
    device.path = frame_.lastLogPath();
  }
  auto server = std::make_unique<ShareServer>(device);
  std::string error;
  if (!server->ListenGpsd(gpsd_, error) || !server->ListenNmea(nmea_, error)) {
    frame_.boxes().MessageBox("Unable to share the receiver: " + error, kShareCaption, MessageIcon::Stop);
    return;
  }
  server_ = std::move(server);
  AttachFeed();
  frame_.desktop().SetPaneText(kPaneShare, paneText());
  frame_.desktop().RefreshMenus();
}

void ReceiverShare::AttachFeed() {
  feedProtocol_ = frame_.config().protocolSelector() != 0 ? 1 : 0;
  ReceiverDecoder& decoder = frame_.mainDecoder();
  decoder.SetObserver(nullptr);
  feed_ = std::make_unique<ShareFeed>(decoder, feedProtocol_, server_->device().path, *server_);
  decoder.SetObserver(feed_.get());
}

void ReceiverShare::Stop() {
  if (!active()) return;
  frame_.mainDecoder().SetObserver(nullptr);
  feed_.reset();
  server_.reset();
  frame_.desktop().SetPaneText(kPaneShare, "");
  frame_.desktop().RefreshMenus();
}

void ReceiverShare::Service() {
  if (!active()) return;
  if ((frame_.config().protocolSelector() != 0 ? 1 : 0) != feedProtocol_) AttachFeed();
  server_->Service(0);
}

std::string ReceiverShare::paneText() const {
  if (!active()) return {};
  return "gpsd " + server_->gpsdAddress() + "  NMEA " + server_->nmeaAddress();
}

}  // namespace orv
