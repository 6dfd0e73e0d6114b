// The "Datum" dialog: the list of the 64 datums with the number of the chosen one, the region
// and ellipsoid of the row, its shifts, and the options that choose between selecting a datum
// and defining one of the two user-defined datums. OK stores a user-defined datum in the
// configuration record and gives the message 88 parameters to send.
#pragma once

#include <optional>

#include "config/Configuration.h"
#include "forms/Form.h"
#include "geodesy/DatumSetup.h"

namespace orv {

class DatumForm {
 public:
  static constexpr int kNumber = 1301;
  static constexpr int kName = 1302;
  static constexpr int kCountries = 1303;
  static constexpr int kEllipse = 1304;
  static constexpr int kSemiMajor = 1305;
  static constexpr int kInverseFlattening = 1306;
  static constexpr int kDx = 1307;
  static constexpr int kDy = 1308;
  static constexpr int kDz = 1309;
  static constexpr int kShiftHint = 1310;
  static constexpr int kOptions = 1311;

  // Opens on "Select Datum" with WGS 1984 (row 0); the user-defined rows show what `config`
  // keeps. OK stores into `config`.
  explicit DatumForm(Configuration& config);
  DatumForm(const DatumForm&) = delete;
  DatumForm& operator=(const DatumForm&) = delete;

  Form& form() { return form_; }
  // What OK decided to send; nothing before OK or after Cancel.
  const std::optional<DatumParameters>& accepted() const { return accepted_; }

 private:
  void Fill(int row);
  void ChooseOption(int option);
  DatumEntry ReadEntry() const;

  Configuration& config_;
  Form form_;
  std::optional<DatumParameters> accepted_;
};

}  // namespace orv
