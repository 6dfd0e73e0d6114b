// The configuration file "Orvantis.cfg": loading the settings record at start-up (reopening
// the windows it marks open), saving it on Save Config, and restoring the factory settings.
// A save never overwrites the file in place: the new image goes to a temporary file in the
// same directory, which then replaces the old one, so a failed save leaves the old file whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "config/Configuration.h"
#include "platform/CommandSink.h"
#include "platform/WindowGeometry.h"

namespace orv {

inline constexpr const char* kConfigurationFileName = "Orvantis.cfg";
// The longest working directory that the configuration file is kept in.
inline constexpr std::size_t kMaxConfigurationDirectory = 100;

// `directory` + "/" + "Orvantis.cfg". A directory that is empty or longer than the limit gives
// nullopt: a shortened name could designate another directory, so it is never cut.
std::optional<std::string> ConfigurationPathIn(const std::string& directory);
// The same for the process's current working directory (call it once, at start-up).
std::optional<std::string> ConfigurationPathAtStartup();

// Reads up to one record's worth of bytes from `path` opened with `openFlags` (open(2) flags).
// Returns how many bytes were read, one more than a record when the file is longer (only a
// file of exactly one record is a configuration file), or nullopt when it could not be opened.
std::optional<std::size_t> ReadConfigurationImage(const std::string& path, int openFlags, ConfigurationImage& out);

// Replaces the content of `path` with `bytes`: written to a temporary file beside it, flushed
// to the disk, renamed over the old file, and the directory flushed. Returns false, leaving any
// old file untouched, when a step fails or when the old file may not be written by this user.
bool ReplaceFileContents(const std::string& path, std::span<const uint8_t> bytes);

class ConfigurationFile {
 public:
  explicit ConfigurationFile(Configuration& record) : record_(record) {}

  // Empty: no usable path (the working directory was too long); loads give the defaults and
  // saves fail.
  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& path() const { return path_; }
  // The screen that window rectangles must lie in; unknown, only their size is checked.
  void SetScreen(std::optional<ScreenRect> screen) { screen_ = screen; }

  // Expects the record to hold its defaults already. Reads the file over them; when it holds
  // exactly one record, keeps every field in its range (ConfigurationRanges.h), posts the command of every window marked open to `frame` in reopen order
  // and returns true. Otherwise the record gets its defaults, the file is written with them at
  // once, and the result is false.
  bool LoadConfiguration(CommandSink* frame);

  // Stores the rectangle of every open window that `geometry` knows (and, for the Save Config
  // command, the main window's rectangle), then writes the record. The aux terminal is written
  // as closed, so it is not reopened at the next start; the record in memory keeps its flag,
  // which still tells the frame that the window is open. Returns false when nothing was
  // written.
  bool SaveConfiguration(const WindowGeometry* geometry, bool saveConfigCommand);

  // Defaults only; the file keeps its content until the next save.
  void RestoreFactoryConfiguration() { record_.SetDefaults(); }

 private:
  Configuration& record_;
  std::string path_;
  std::optional<ScreenRect> screen_;
};

}  // namespace orv
