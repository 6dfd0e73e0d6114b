#include "app/TrackExportCommand.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "util/Format.h"

namespace orv {

std::optional<TrackFormat> TrackFormatOfPath(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (ext == ".json") return TrackFormat::kGeoJson;
  if (ext.size() < 2) return std::nullopt;
  return ParseTrackFormat(ext.substr(1));
}

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

ExportTrackOutcome RunExportTrack(Desktop& desktop, int protocolSelector, std::string& lastLogPath,
                                  std::size_t bytesPerTick) {
  ExportTrackOutcome outcome;
  const FileDialogRequest logRequest{"log", "Log Files (*.log) |*.log|All Files (*.*) |*.*||", lastLogPath};
  const std::optional<std::string> logPath = desktop.AskOpenFileName(logRequest);
  if (!logPath || logPath->empty()) return outcome;
  lastLogPath = *logPath;
  const std::filesystem::path log(*logPath);
  const FileDialogRequest outRequest{"gpx", kExportTrackFilter,
                                     std::filesystem::path(log).replace_extension(".gpx").string()};
  const std::optional<std::string> outPath = desktop.AskSaveFileName(outRequest);
  if (!outPath || outPath->empty()) return outcome;
  const std::optional<TrackFormat> format = TrackFormatOfPath(*outPath);
  if (!format) {
    desktop.MessageBox("Choose a file ending in .gpx, .kml, .csv or .geojson.", kExportTrackCaption,
                       MessageIcon::Exclamation);
    return outcome;
  }
  struct stat st{};
  File in(::stat(logPath->c_str(), &st) == 0 && S_ISREG(st.st_mode) ? std::fopen(logPath->c_str(), "rb") : nullptr);
  if (!in) {
    desktop.MessageBox("Unable to read " + *logPath, kExportTrackCaption, MessageIcon::Stop);
    return outcome;
  }
  File out(std::fopen(outPath->c_str(), "wb"));
  if (!out) {
    desktop.MessageBox("Unable to write " + *outPath, kExportTrackCaption, MessageIcon::Stop);
    return outcome;
  }

  EpochOptions options;
  options.protocolSelector = protocolSelector == 0 ? 0 : 1;
  TrackExportJob job(in.get(), options, *format, out.get(), log.filename().string());
  outcome.ran = true;
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  bool ended = size == 0;

  // The form steps the export on its own timer and closes itself with OK at the end; Cancel
  // stops it.
  Form form(kExportTrackCaption);
  form.AddLabel(kExportTrackFileLabel, log.filename().string() + " to " +
                                           std::filesystem::path(*outPath).filename().string());
  form.AddProgress(kExportTrackProgress, "", 0, 1000, 0);
  form.AddButton(kFormCancel, "Cancel", FormAction::Cancel);
  form.OnTimer([&](Form& f, int id) {
    if (id != kExportTrackTimer || ended) return;
    ended = !job.Step(bytesPerTick);
    const uint64_t done = job.bytesRead();
    f.SetProgress(kExportTrackProgress, size > 0 ? static_cast<uint32_t>(done * 1000 / std::max(done, size)) : 1000);
    if (ended) {
      f.KillTimer(kExportTrackTimer);
      f.RequestClose(FormAction::Ok);
    }
  });
  form.SetTimer(kExportTrackTimer, kExportTrackTimerMs);
  if (ended) form.RequestClose(FormAction::Ok);
  const bool finished = desktop.RunForm(form) && ended;

  outcome.result = job.Finish();
  const bool closedOk = std::fclose(out.release()) == 0;
  const TrackExportResult& r = outcome.result;
  if (!finished) {
    // A track cut short is not the log's track: the partial file goes.
    std::remove(outPath->c_str());
    desktop.MessageBox("Export stopped; " + *outPath + " was not written.", kExportTrackCaption,
                       MessageIcon::Information);
    return outcome;
  }
  if (r.read.readError || r.writeError || !closedOk) {
    std::remove(outPath->c_str());
    desktop.MessageBox(r.read.readError ? "Unable to read " + *logPath : "Unable to write " + *outPath,
                       kExportTrackCaption, MessageIcon::Stop);
    return outcome;
  }
  outcome.completed = true;
  desktop.MessageBox(Format("%llu points in %llu segments written to %s.\n%llu epochs without a valid position "
                            "were skipped.",
                            static_cast<unsigned long long>(r.points), static_cast<unsigned long long>(r.segments),
                            outPath->c_str(), static_cast<unsigned long long>(r.skipped)),
                     kExportTrackCaption, MessageIcon::Information);
  return outcome;
}

}  // namespace orv
