// What the "Datum" dialog decides, without its widgets: the fields it fills for a list row,
// the limits of what the user may enter for the two user-defined datums, and what OK stores
// in the configuration record and sends as message 88. The dialog is a form over these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/Configuration.h"
#include "protocol/FrameEncoder.h"

namespace orv {

// The "Options" group, by the value each button stands for.
enum class DatumOption : uint8_t { Select = 0, Define = 1, SelectAndDefine = 2 };
// "Select Datum", "Define Datum", "Select and define Datum".
const char* DatumOptionText(DatumOption option);
// The row a button chooses: 0 (WGS 1984) for "Select Datum", User Defined 1 for the others.
int DatumRowForOption(DatumOption option);

// Field limits. The texts are cut to these lengths; the shifts are the receiver's signed
// 16-bit metres; an ellipsoid outside these bounds is not the Earth's, and the receiver would
// reject it or report positions far off (a = 0 or 1/f = 0 are the usual result of a field left
// empty).
inline constexpr std::size_t kCountriesMaxChars = 175;
inline constexpr std::size_t kEllipsoidNameMaxChars = 30;
inline constexpr int kMinShift = -32768, kMaxShift = 32767;
inline constexpr double kMinSemiMajorAxis = 6350000.0, kMaxSemiMajorAxis = 6400000.0;
inline constexpr double kMinInverseFlattening = 250.0, kMaxInverseFlattening = 350.0;
bool IsUsableEllipsoid(double semiMajorAxis, double inverseFlattening);

// Beside "DX =", "DY =", "DZ =": the receiver's shifts go from WGS 84 to the datum, the other
// way round from the datum-to-WGS 84 shifts most references publish.
inline constexpr const char* kDatumShiftSignHint =
    "Shifts from WGS 84 to this datum (m): published datum-to-WGS 84 shifts with the sign changed";

// What the dialog shows for one row of the list.
struct DatumFields {
  int number = 0;
  std::string name;           // the list entry
  std::string countries;
  std::string ellipsoidName;
  double semiMajorAxis = 0;
  double inverseFlattening = 0;
  int16_t dx = 0, dy = 0, dz = 0;
  bool editable = false;      // rows 1 and 2: the seven parameter fields are enabled
};

// Built-in rows from the tables; rows 1 and 2 from the user-defined datums of `config`, where
// an ellipsoid that is not usable (a record written before they were kept, zeros) shows as
// WGS-84. nullopt outside 0..63.
std::optional<DatumFields> DatumRowFields(int number, const Configuration& config);
// The label left of the list: "#%3d".
std::string DatumNumberLabel(int number);
// The 64 list entries in table order.
std::vector<std::string> DatumListNames();
// A double as its edit box shows it ("%.15g"): every table value reads back as itself.
std::string DatumRealText(double value);

// The parameter fields as read by the form once they passed its checks.
struct DatumEntry {
  std::string countries;
  std::string ellipsoidName;
  int16_t dx = 0, dy = 0, dz = 0;
  double semiMajorAxis = 0;
  double inverseFlattening = 0;
};
// The entry a row's fields hold, for a dialog that read them back unchanged.
DatumEntry EntryFromFields(const DatumFields& fields);

// OK. For rows 1 and 2 the entry becomes that user-defined datum in `config` (texts cut to
// their lengths) and its values are sent; for a built-in row the table's values are sent,
// whatever the disabled fields hold. nullopt, with nothing stored, for a number outside the
// table or a user-defined ellipsoid outside the limits.
std::optional<DatumParameters> AcceptDatum(DatumOption option, int number, const DatumEntry& entry,
                                           Configuration& config);

}  // namespace orv
