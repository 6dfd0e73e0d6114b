// The Datum dialog's rows, limits and message 88.
#include "geodesy/DatumSetup.h"

#include "geodesy/DatumTables.h"
#include "util/Format.h"

namespace orv {

namespace {

const Ellipsoid& Wgs84() { return *EllipsoidByNumber(kWgs84Ellipsoid); }

DatumFields UserRowFields(const Datum& row, int number, const Configuration& config) {
  const UserDatum u = config.userDatum(number);
  DatumFields f{number, std::string(row.name), u.countries, u.ellipsoidName, u.semiMajorAxis,
                u.inverseFlattening, u.dx, u.dy, u.dz, true};
  if (!IsUsableEllipsoid(f.semiMajorAxis, f.inverseFlattening)) {
    f.ellipsoidName = std::string(Wgs84().name);
    f.semiMajorAxis = Wgs84().semiMajorAxis;
    f.inverseFlattening = Wgs84().inverseFlattening;
  }
  return f;
}

}  // namespace

const char* DatumOptionText(DatumOption option) {
  switch (option) {
    case DatumOption::Select: return "Select Datum";
    case DatumOption::Define: return "Define Datum";
    case DatumOption::SelectAndDefine: return "Select and define Datum";
  }
  return "";
}

int DatumRowForOption(DatumOption option) {
  return option == DatumOption::Select ? kWgs84Datum : kUserDatumRows[0];
}

bool IsUsableEllipsoid(double a, double inverseFlattening) {
  // Written so that NaN fails both comparisons.
  return a >= kMinSemiMajorAxis && a <= kMaxSemiMajorAxis && inverseFlattening >= kMinInverseFlattening &&
         inverseFlattening <= kMaxInverseFlattening;
}

std::optional<DatumFields> DatumRowFields(int number, const Configuration& config) {
  const Datum* row = DatumByNumber(number);
  if (row == nullptr) return std::nullopt;
  if (IsUserDefinedDatum(number)) return UserRowFields(*row, number, config);
  const Ellipsoid* e = EllipsoidByNumber(row->ellipsoid);
  if (e == nullptr) return std::nullopt;
  return DatumFields{number,         std::string(row->name), std::string(row->region), std::string(e->name),
                     e->semiMajorAxis, e->inverseFlattening,   row->dx,                  row->dy,
                     row->dz,        false};
}

std::string DatumNumberLabel(int number) { return Format("#%3d", number); }

std::vector<std::string> DatumListNames() {
  std::vector<std::string> names;
  for (const Datum& d : DatumTable()) names.emplace_back(d.name);
  return names;
}

std::string DatumRealText(double value) { return Format("%.15g", value); }

DatumEntry EntryFromFields(const DatumFields& f) {
  return DatumEntry{f.countries, f.ellipsoidName, f.dx, f.dy, f.dz, f.semiMajorAxis, f.inverseFlattening};
}

std::optional<DatumParameters> AcceptDatum(DatumOption option, int number, const DatumEntry& entry,
                                           Configuration& config) {
  if (static_cast<uint8_t>(option) > static_cast<uint8_t>(DatumOption::SelectAndDefine)) return std::nullopt;
  const auto shown = DatumRowFields(number, config);
  if (!shown) return std::nullopt;
  DatumEntry sent = EntryFromFields(*shown);
  if (IsUserDefinedDatum(number)) {
    if (!IsUsableEllipsoid(entry.semiMajorAxis, entry.inverseFlattening)) return std::nullopt;
    UserDatum u = config.userDatum(number);
    if (u.name.empty()) u.name = shown->name;
    u.countries = entry.countries.substr(0, kCountriesMaxChars);
    u.ellipsoidName = entry.ellipsoidName.substr(0, kEllipsoidNameMaxChars);
    u.dx = entry.dx;
    u.dy = entry.dy;
    u.dz = entry.dz;
    u.semiMajorAxis = entry.semiMajorAxis;
    u.inverseFlattening = entry.inverseFlattening;
    config.SetUserDatum(number, u);
    sent = entry;
  }
  return DatumParameters{static_cast<uint8_t>(option), static_cast<uint8_t>(number), sent.dx, sent.dy,
                         sent.dz, sent.semiMajorAxis, sent.inverseFlattening};
}

}  // namespace orv
