// The position entry's fields and the angle rules they follow.
#include "commands/PositionForm.h"

#include "geodesy/Angles.h"
#include "util/Format.h"

namespace orv {

namespace {
// Degrees (with their sign, "-0" below one degree south or west), minutes, seconds.
void AddAngle(Form& form, int degreesId, const char* caption, double bound, double upper, double radians,
              AngleAxis axis) {
  const Dms dms = RadiansToDms(radians, axis).value_or(Dms{});
  Limit(form.AddEdit(degreesId, std::string(caption) + " degrees", EditKind::Integer, DmsDegreesText(dms)), -bound,
        upper);
  Limit(form.AddEdit(degreesId + 1, "minutes", EditKind::Unsigned, Format("%u", dms.minutes)), 0, 60);
  Limit(form.AddEdit(degreesId + 2, "seconds", EditKind::Real, Format("%.3f", static_cast<double>(dms.seconds))), 0,
        60);
  // Each field within its limits can still add up past the pole (90 degrees 30 minutes).
  const double lowest = -bound;
  const std::string name = axis == AngleAxis::Latitude ? "latitude" : "longitude";
  form.field(degreesId + 2)->check = [=](const Form& f) {
    const double d = static_cast<double>(f.IntValue(degreesId).value_or(0));
    const double rest = static_cast<double>(f.IntValue(degreesId + 1).value_or(0)) / 60 +
                        f.RealValue(degreesId + 2).value_or(0) / 3600;
    const double total = DegreesTextIsNegative(f.Text(degreesId)) ? d - rest : d + rest;
    if (total >= lowest && total <= upper) return std::string();
    return Format("Please enter a %s between %g and %g degrees.", name.c_str(), lowest, upper);
  };
}

double ReadAngle(const Form& f, int degreesId) {
  Dms dms;
  dms.degrees = static_cast<int32_t>(f.IntValue(degreesId).value_or(0));
  dms.minutes = static_cast<uint32_t>(f.IntValue(degreesId + 1).value_or(0));
  dms.seconds = static_cast<float>(f.RealValue(degreesId + 2).value_or(0));
  dms.negative = DegreesTextIsNegative(f.Text(degreesId));
  return DmsToRadians(dms);
}
}  // namespace

PositionForm::PositionForm(const GeodeticPosition& start) : form_("Position") {
  Limit(form_.AddEdit(kAltitude, "Altitude: (m)", EditKind::Real, Format("%.3f", start.height)), kMinAltitude,
        kMaxAltitude);
  AddAngle(form_, kLatDegrees, "Latitude:", 90, 90, start.latitude, AngleAxis::Latitude);
  AddAngle(form_, kLonDegrees, "Longitude:", 180, 360, start.longitude, AngleAxis::Longitude);
  form_.AddOkCancel();
  form_.OnOk([this](Form& f) {
    GeodeticPosition p;
    p.latitude = ReadAngle(f, kLatDegrees);
    p.longitude = ReadAngle(f, kLonDegrees);
    p.height = *f.RealValue(kAltitude);
    accepted_ = p;
  });
}

}  // namespace orv
