// The transmit length table and the frame checksum.
#include "protocol/Frame.h"

namespace orv {

namespace {
constexpr std::array<uint8_t, 128> MakeTransmitLength() {
  std::array<uint8_t, 128> t{};
  struct Entry { uint8_t id, len; };
  constexpr Entry entries[] = {
      {1, 8},    {2, 14},   {3, 7},    {4, 7},    {5, 8},    {6, 6},    {8, 8},    {10, 21},
      {11, 6},   {13, 6},   {17, 6},   {18, 6},   {19, 6},   {20, 6},   {21, 6},   {22, 6},
      {23, 7},   {24, 6},   {25, 6},   {26, 7},   {29, 6},   {30, 6},   {33, 6},   {34, 6},
      {41, 6},   {42, 6},   {43, 6},   {44, 10},  {45, 6},   {46, 68},  {47, 6},   {48, 6},
      {49, 6},   {50, 6},   {51, 7},   {54, 6},   {59, 6},   {60, 10},  {61, 10},  {62, 10},
      {63, 14},  {64, 16},  {65, 6},   {66, 6},   {67, 6},   {68, 6},   {69, 33},  {71, 18},
      {72, 19},  {75, 6},   {76, 7},   {77, 6},   {78, 21},  {79, 79},  {80, 38},  {81, 18},
      {82, 11},  {87, 8},  // SV and channel deselection
      {83, 27},  {84, 14},  {85, 11},  {86, 14},  {88, 36},  {90, 18},  {91, 8},   {92, 26},
      {95, 19},  {99, 14},  {100, 14}, {101, 16}, {102, 15}, {103, 21}, {104, 69}, {105, 30},
      {106, 6},  {107, 35}, {108, 51}, {109, 83}, {110, 7},  {111, 6},  {112, 7},  {113, 6},
      {118, 7},  {120, 19}, {121, 20}, {122, 22}, {123, 22}, {124, 26}, {126, 10}, {127, 6},
  };
  for (const Entry& e : entries) t[e.id] = e.len;
  return t;
}
}  // namespace

const std::array<uint8_t, 128> kTransmitLength = MakeTransmitLength();

std::size_t BuildFrame(uint8_t idByte, std::span<const uint8_t> payload, std::span<uint8_t> out) {
  const std::size_t n = payload.size();
  if (n > 255 || out.size() < n + kFrameOverhead) return 0;
  out[0] = kFrameStart;
  out[1] = idByte;
  out[2] = static_cast<uint8_t>(~idByte);
  out[3] = static_cast<uint8_t>(n);
  for (std::size_t i = 0; i < n; ++i) out[4 + i] = payload[i];
  const uint16_t sum = FrameChecksum(out.data(), n + 4);
  out[n + 4] = static_cast<uint8_t>(sum & 0xFF);
  out[n + 5] = static_cast<uint8_t>(sum >> 8);
  return n + kFrameOverhead;
}

uint16_t FrameChecksum(const uint8_t* bytes, std::size_t n) {
  uint16_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum = static_cast<uint16_t>(sum + bytes[i]);
  return sum;
}

}  // namespace orv
