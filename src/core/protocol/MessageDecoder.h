// The receive side of the link: frames KTX Binary messages and NMEA sentences out of the raw
// byte stream, checks them, counts them and hands each valid one to the data stores.
#pragma once

#include <array>
#include <cstdint>

#include "platform/Desktop.h"
#include "platform/Links.h"
#include "platform/StreamDecoder.h"
#include "protocol/DecoderState.h"
#include "protocol/NmeaSentenceSink.h"
#include "protocol/ReceiverDataStore.h"

namespace orv {

// Told of every valid frame and sentence after the stores handled it, with the offset of its
// first byte in the stream of bytes the decoder consumed since it was created. The headless
// tools use it; the console itself has no observer.
class DecodeObserver {
 public:
  virtual ~DecodeObserver() = default;
  virtual void OnFrame(uint64_t offset, const uint8_t* frame, int length) = 0;
  // The sentence runs from '$' through the two checksum digits (no line end, no terminating
  // zero). Like the frame, it is valid during the call only: it may lie in the decoder's buffer
  // or in the block being decoded.
  virtual void OnSentence(uint64_t offset, const char* sentence, int length, int slot) = 0;
  // A frame or sentence that failed its checksum (offset of its first byte), or a buffer
  // overrun that restarted the framing (offset of the byte at which it restarted).
  enum class Fault { kFrameChecksum, kSentenceChecksum, kOverrun };
  virtual void OnFault(uint64_t offset, Fault fault) {
    (void)offset;
    (void)fault;
  }
};

class MessageDecoder : public StreamDecoder {
 public:
  static constexpr int kBufferSize = 2048;

  MessageDecoder() = default;
  MessageDecoder(const MessageDecoder&) = delete;
  MessageDecoder& operator=(const MessageDecoder&) = delete;

  uint32_t Decode(uint8_t* bytes, uint32_t count) override;

  // Attaching (or detaching with null) a log writer restarts the logged counts.
  void AttachLogWriter(LogWriterLink* writer);
  // Run when an input is opened: counters, frame state and measurementSeen back to zero.
  void ResetCounters();
  // Forgets a frame or sentence begun before the line was reset; the counters stay.
  void DropPartialFrame() { state_ = 0; }
  void Resume() {
    flags_.readyForInput = 1;
    flags_.measurementSeen = 0;
  }

  // A change of protocol drops the item in progress: a sentence cut by the switch would
  // otherwise swallow frames until a stray '*', and the hunt after it could start inside a
  // payload.
  void SetProtocolSelector(uint32_t selector) {
    const uint32_t value = selector ? 1 : 0;
    if (value != flags_.protocolSelector) {
      state_ = 0;
      bufferPos_ = 0;
    }
    flags_.protocolSelector = value;
  }
  void SetDecodingEnabled(uint32_t on);
  void SetTimeGateOpen(uint32_t on) { flags_.timeGateOpen = on ? 1 : 0; }
  void SetStopAfterMeasurement(uint32_t on) { flags_.stopAfterMeasurement = on ? 1 : 0; }
  void SetBaseFileFlag(uint32_t on) { flags_.baseFileFlag = on ? 1 : 0; }
  void SetLoggingCountOn(uint32_t on) { flags_.loggingCountOn = on ? 1 : 0; }
  // The port search expects an answer and waits for one.
  void ExpectReceiverAnswer(uint32_t on) {
    flags_.expectReceiverAnswer = on ? 1 : 0;
    flags_.receiverAnswered = 0;
  }
  void SetTransferActive(uint32_t on) { flags_.transferActive = on ? 1 : 0; }
  void SetAckReceived(uint32_t on) { flags_.ackReceived = on ? 1 : 0; }

  bool readyForInput() const { return flags_.readyForInput == 1; }
  bool measurementSeen() const { return flags_.measurementSeen == 1; }
  bool receiverAnswered() const { return flags_.receiverAnswered == 1; }
  double LastMeasurementGpsTime() const { return store_.LastMeasurementGpsTime(); }
  double LastBaseMeasurementGpsTime() const { return store_.LastBaseMeasurementGpsTime(); }

  const DecoderFlags& flags() const { return flags_; }
  const DecoderCounters& counters() const { return counters_; }
  int state() const { return state_; }

  ReceiverDataStore& store() { return store_; }
  const ReceiverDataStore& store() const { return store_; }
  // Sentences go to the sink; without one they are framed and counted only.
  void SetNmeaSink(NmeaSentenceSink* sink) { nmeaSink_ = sink; }

  void SetStatusBar(StatusBar* bar) { statusBar_ = bar; }
  void SetMessageBoxes(MessageBoxes* boxes) { boxes_ = boxes; }
  void SetTerminal(TerminalLink* terminal) { terminal_ = terminal; }
  void SetRawDisplay(RawDisplayLink* display) { rawDisplay_ = display; }
  void SetBinaryCountLink(BinaryCountLink* link) { binaryCounts_ = link; }
  void SetNmeaCountLink(NmeaCountLink* link) { nmeaCounts_ = link; }
  void SetAutoLogLink(AutoLogLink* link) { autoLog_ = link; }
  void SetObserver(DecodeObserver* observer) { observer_ = observer; }

 private:
  // One step of the state table on byte b; pos is its index in the current block.
  void Step(uint8_t b);
  // Bulk forms of the hunting and payload states; each returns how many bytes it used and
  // leaves the object exactly as the same number of single steps would.
  uint32_t HuntBinary(const uint8_t* bytes, uint32_t n);
  uint32_t HuntFrames(const uint8_t* bytes, uint32_t n, uint64_t at);
  uint32_t HuntFramesWide(const uint8_t* bytes, uint32_t n, uint64_t at);
  template <bool kWide>
  uint32_t HuntFramesAs(const uint8_t* bytes, uint32_t n, uint64_t at);
  template <bool kWide>
  uint32_t WholeFrame(const uint8_t* frame, uint32_t n, uint64_t at);
  uint32_t FrameSum(const uint8_t* bytes, uint32_t n);
  void EndFrame();
  uint32_t SentenceTail(const uint8_t* bytes, uint32_t n);
  uint32_t HuntNmea(const uint8_t* bytes, uint32_t n);
  uint32_t HuntSentence(const uint8_t* bytes, uint32_t n);
  uint32_t CopyPayload(const uint8_t* bytes, uint32_t n);
  uint32_t ScanSentence(const uint8_t* bytes, uint32_t n);
  void StartSentence();
  void OnBinaryMessage(const uint8_t* frame);
  // `text` is the sentence, in the buffer or where it lies in the block.
  void OnNmeaSentence(const uint8_t* text);
  // Run for every frame and sentence: kept in line, as it is nearly always two tests.
  void RefreshCountWindows() {
    if (binaryCounts_ != nullptr && flags_.protocolSelector == 1) {
      binaryCounts_->OnCounts(flags_.baseFileFlag, counters_.messageCountById.data());
    }
    if (nmeaCounts_ != nullptr && flags_.protocolSelector == 0) nmeaCounts_->OnCounts(counters_.nmeaCountBySlot.data());
  }
  void LogConsumed(const uint8_t* bytes, uint32_t count);
  void RewritePane(int paneId, const char* format, uint32_t value);

  DecoderFlags flags_;
  DecoderCounters counters_;
  int state_ = 0;
  uint32_t bufferPos_ = 0;
  uint16_t checksum_ = 0;
  uint8_t remaining_ = 0;
  std::array<uint8_t, kBufferSize> buffer_{};
  int sentenceLength_ = 0;
  uint64_t sentenceStart_ = 0;
  // Stream position of the byte being stepped, for the observer's offsets.
  uint64_t streamPos_ = 0;

  ReceiverDataStore store_;
  NmeaSentenceSink* nmeaSink_ = nullptr;

  StatusBar* statusBar_ = nullptr;
  MessageBoxes* boxes_ = nullptr;
  LogWriterLink* logWriter_ = nullptr;
  TerminalLink* terminal_ = nullptr;
  RawDisplayLink* rawDisplay_ = nullptr;
  BinaryCountLink* binaryCounts_ = nullptr;
  NmeaCountLink* nmeaCounts_ = nullptr;
  AutoLogLink* autoLog_ = nullptr;
  DecodeObserver* observer_ = nullptr;
};

}  // namespace orv
