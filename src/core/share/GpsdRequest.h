// The requests a gpsd client sends: a line of one or more commands, each "?NAME;" or
// "?NAME={json object};". The server only answers: no request changes the receiver.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

enum class GpsdCommand { kVersion, kWatch, kDevices, kDevice, kPoll, kError };

struct GpsdRequest {
  GpsdCommand command = GpsdCommand::kError;
  // ?WATCH's switches, when the object gave them.
  std::optional<bool> enable, json, nmea;
  std::string error;  // the ERROR object's message, for kError
};

// The commands of one line (its line end already taken off). A line that is not a request, a
// command the server does not know or an argument that is not a flat JSON object yields a
// kError request in its place; parsing stops there.
std::vector<GpsdRequest> ParseGpsdLine(std::string_view line);

}  // namespace orv
