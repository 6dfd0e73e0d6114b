// Log files: the check that finds where playback starts, in both protocols, and reading
// blocks into a decoder that may not take all of them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "logging/LogFile.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"

namespace orv {
namespace {

using test::Hex;

// Takes at most `take` bytes of each block and keeps what it took.
class TakingSink : public StreamDecoder {
 public:
  uint32_t Decode(uint8_t* bytes, uint32_t count) override {
    const uint32_t n = std::min(count, take);
    seen.insert(seen.end(), bytes, bytes + n);
    return n;
  }
  uint32_t take = 0xFFFFFFFF;
  std::vector<uint8_t> seen;
};

class LogFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/f" + std::to_string(++files) + ".log";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // Opens for playback and returns the offset playback starts at, or -1 when refused.
  int64_t StartOf(const std::vector<uint8_t>& bytes, uint32_t protocol = 1) {
    if (!file.OpenForPlayback(Write(bytes), &desktop, protocol)) return -1;
    return file.Position();
  }
  static std::vector<uint8_t> Nmea(std::size_t atLeast) {
    std::string text;
    while (text.size() < atLeast) text += test::Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9");
    return test::Bytes(text);
  }
  static std::vector<uint8_t> Noise(std::size_t n) { return std::vector<uint8_t>(n, 0x55); }
  static std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  std::string dir = test::TempDir();
  int files = 0;
  test::FakeDesktop desktop;
  TakingSink sink;
  LogFile file{&sink};
};

TEST_F(LogFileTest, FindsTheFirstFrameStart) {
  EXPECT_EQ(StartOf(Hex("01 14 EB 00 00 01")), 0);
  EXPECT_EQ(StartOf(Cat(Hex("55 AA 00 02 FF 7E 30"), Hex("01 14 EB 00 00 01"))), 7);
  // After a mismatch the scan goes on with the ID byte, so the start at offset 1 is found.
  EXPECT_EQ(StartOf(Hex("01 01 02 FD 00 00 00 00 00 00 01 14 EB 00 00 01")), 1);
  EXPECT_EQ(StartOf(Hex("01 01 01 14 EB 00 00 01")), 2);
  EXPECT_TRUE(desktop.boxes.empty());
}

// A file that holds no frame start is refused with the message however short it is: empty,
// a lone start byte at its end, or 10000 bytes of noise.
TEST_F(LogFileTest, AShortFileWithoutAFrameIsRefusedWithTheMessage) {
  const std::vector<std::vector<uint8_t>> files = {{}, Hex("55 01 14"), Hex("01"), Noise(10000)};
  for (const auto& bytes : files) {
    desktop.boxes.clear();
    EXPECT_EQ(StartOf(bytes), -1) << bytes.size();
    EXPECT_FALSE(file.isOpen());
    ASSERT_EQ(desktop.boxes.size(), 1u) << bytes.size();
    EXPECT_EQ(desktop.boxes[0].text, "This is not a KTX log file.");
    EXPECT_EQ(desktop.boxes[0].caption, "Open Log File");
    EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Exclamation);
  }
  desktop.boxes.clear();
  EXPECT_EQ(StartOf(test::Bytes(test::Sentence("GPGGA,1,2")), 1), -1);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "This is not a KTX log file.");
  desktop.boxes.clear();
  EXPECT_EQ(StartOf({}, 0), -1);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "This is not an NMEA log file.");
}

// Short frames whose checksum's high byte is 0x01 after one stray 0x01: each frame's start
// byte follows a 0x01, so a check that skipped the ID byte after a mismatch found none.
TEST_F(LogFileTest, AStartByteRightBeforeAFrameDoesNotHideIt) {
  std::vector<uint8_t> log = {0x01};
  for (int i = 0; i < 1500; ++i) {
    const auto f = test::Frame(20, {static_cast<uint8_t>(i % 200), 0x10});
    ASSERT_EQ(f.back(), 0x01);
    log.insert(log.end(), f.begin(), f.end());
  }
  ASSERT_EQ(log.size(), 12001u);
  EXPECT_EQ(StartOf(log), 1);
  EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(LogFileTest, GivesUpAfter10000BytesWithTheMessage) {
  // 10000 bytes of noise may still be followed by a frame start...
  EXPECT_EQ(StartOf(Cat(Noise(10000), Hex("01 14 EB 00 00 01"))), 10000);
  EXPECT_TRUE(desktop.boxes.empty());
  // ...but not 10001.
  EXPECT_EQ(StartOf(Cat(Noise(10001), Hex("01 14 EB 00 00 01"))), -1);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "This is not a KTX log file.");
  EXPECT_EQ(desktop.boxes[0].caption, "Open Log File");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(file.isOpen());
  // An NMEA recording in KTX Binary mode gets the same message.
  EXPECT_EQ(StartOf(Nmea(12000)), -1);
  EXPECT_EQ(desktop.boxes.size(), 2u);
  EXPECT_EQ(desktop.boxes[1].text, "This is not a KTX log file.");
}

TEST_F(LogFileTest, NmeaModeStartsAtTheFirstValidSentence) {
  const auto good = test::Bytes(test::Sentence("GPGSA,A,3,04,05"));
  EXPECT_EQ(StartOf(Cat(test::Bytes("garbage\r\n"), good), 0), 9);
  // A wrong or lower-case checksum, or a sentence cut by a new '$', does not count.
  EXPECT_EQ(StartOf(Cat(test::Bytes("$GPX*00\r\n$GP$"), good), 0), 13);
  EXPECT_EQ(StartOf(test::Bytes("$GPGSA,A*3b\r\n"), 0), -1);
  EXPECT_EQ(StartOf(test::Bytes("$GPGSA,A*3"), 0), -1);
  EXPECT_EQ(desktop.boxes.size(), 2u);
  desktop.boxes.clear();
  // A sentence must lie wholly in the first 10000 bytes.
  auto late = Cat(Noise(9990), good);
  EXPECT_EQ(StartOf(late, 0), -1);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, "This is not an NMEA log file.");
  EXPECT_EQ(desktop.boxes[0].caption, "Open Log File");
  // A binary recording in NMEA mode is refused the same way.
  EXPECT_EQ(StartOf(Cat(Noise(10001), Hex("01 14 EB 00 00 01")), 0), -1);
  EXPECT_EQ(desktop.boxes.size(), 2u);
}

TEST_F(LogFileTest, PlaybackDeliversFromTheStartAndRewindsWhatWasNotConsumed) {
  const auto frame = test::Frame(0x14, {1, 2, 3, 4});
  const auto bytes = Cat(Hex("55 55 55"), Cat(frame, frame));
  ASSERT_GE(StartOf(bytes), 0);
  sink.take = 5;
  EXPECT_EQ(file.Receive(8), 5u);
  EXPECT_EQ(file.Position(), 8);  // 3 of noise, 5 consumed
  sink.take = 0xFFFFFFFF;
  EXPECT_EQ(file.Receive(100), 15u);
  EXPECT_EQ(sink.seen, Cat(frame, frame));
  EXPECT_EQ(file.Receive(100), 0u);  // end of file
  file.SetEnabled(false);
  ASSERT_TRUE(file.SeekAbsolute(0));
  EXPECT_EQ(file.Receive(100), 0u);
}

TEST_F(LogFileTest, CreateSendAndReopen) {
  const std::string path = dir + "/rec.log";
  LogFile writer;
  ASSERT_TRUE(writer.Create(path, O_CREAT | O_RDWR | O_TRUNC, 0600));
  EXPECT_TRUE(writer.Send(Hex("01 02 03").data(), 3));
  writer.Close();
  EXPECT_FALSE(writer.Send(Hex("04").data(), 1));
  EXPECT_EQ(test::ReadFile(path), Hex("01 02 03"));
  LogFile reader;  // no sink: the count read is the count delivered
  ASSERT_TRUE(reader.OpenExisting(path, O_RDONLY));
  EXPECT_EQ(reader.Receive(10), 3u);
  EXPECT_TRUE(LogFile::Delete(path));
  EXPECT_FALSE(LogFile::Delete(path));
  EXPECT_FALSE(reader.OpenExisting(dir + "/missing.log", O_RDONLY));
}

// Files that cannot be played are refused with a message that says why: a name the log file
// cannot keep, a file that cannot be opened, and whatever is not a regular file (a FIFO would
// otherwise block the open until a writer came, and a pipe cannot seek back).
TEST_F(LogFileTest, PlaybackRefusesWhatItCannotPlayAndSaysWhy) {
  LogFile reader;
  const std::string longPath = dir + "/" + std::string(200, 'x') + ".log";
  EXPECT_FALSE(reader.OpenForPlayback(longPath, &desktop));
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text,
            "The path of this file is longer than the 199 characters a log file name may have:\n" + longPath);
  EXPECT_EQ(desktop.boxes[0].caption, "Open Log File");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Exclamation);

  EXPECT_FALSE(reader.OpenForPlayback(dir + "/missing.log", &desktop));
  ASSERT_EQ(desktop.boxes.size(), 2u);
  EXPECT_EQ(desktop.boxes[1].text, "Unable to open the log file " + dir + "/missing.log:\nNo such file or directory.");

  const std::string fifo = dir + "/fifo.log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(reader.OpenForPlayback(fifo, &desktop));  // returns at once: nobody writes
  ASSERT_EQ(desktop.boxes.size(), 3u);
  EXPECT_EQ(desktop.boxes[2].text, fifo + " is not a regular file: a pipe, a device or a folder cannot be played back.");
  EXPECT_FALSE(reader.OpenForPlayback(dir, &desktop));
  EXPECT_EQ(desktop.boxes.size(), 4u);
  EXPECT_FALSE(reader.OpenForPlayback("/dev/zero", &desktop));
  EXPECT_EQ(desktop.boxes.size(), 5u);
  EXPECT_FALSE(reader.isOpen());

  // A regular file is read as before, blocking reads and all.
  EXPECT_EQ(StartOf(Cat(Hex("00 00"), test::Frame(20, {1}))), 2);
  EXPECT_EQ(file.Receive(100), 7u);
}

TEST_F(LogFileTest, CreateNeverReportsSuccessOnDescriptorZero) {
  // Started with standard input closed, the first file opened gets descriptor 0, which the
  // reads and writes treat as no file: the open must fail rather than record nothing.
  const int saved = ::dup(0);
  ASSERT_GE(saved, 0);
  ::close(0);
  LogFile writer;
  const bool created = writer.Create(dir + "/zero.log", O_CREAT | O_RDWR | O_TRUNC, 0600);
  const bool opened = writer.isOpen();
  const int next = ::open("/dev/null", O_RDONLY);  // 0 again when Create gave it back
  ::dup2(saved, 0);
  ::close(saved);
  if (next > 0) ::close(next);
  EXPECT_FALSE(created);
  EXPECT_FALSE(opened);
  EXPECT_EQ(next, 0);
}

}  // namespace
}  // namespace orv
