// The Datum dialog's fields, filling rules and OK.
#include "geodesy/DatumForm.h"

namespace orv {

namespace {

constexpr int kParameterFields[] = {DatumForm::kCountries,         DatumForm::kEllipse, DatumForm::kSemiMajor,
                                    DatumForm::kInverseFlattening, DatumForm::kDx,      DatumForm::kDy,
                                    DatumForm::kDz};

void LimitShift(FormField& f) {
  f.hasRange = true;
  f.min = kMinShift;
  f.max = kMaxShift;
}

}  // namespace

DatumForm::DatumForm(Configuration& config) : config_(config), form_("Datum") {
  form_.AddLabel(kNumber, DatumNumberLabel(0));
  form_.AddCombo(kName, "Name", DatumListNames(), 0);
  form_.AddEdit(kCountries, "Countries", EditKind::Text).maxChars = kCountriesMaxChars;
  form_.AddEdit(kEllipse, "Ellipse :", EditKind::Text).maxChars = kEllipsoidNameMaxChars;
  FormField& a = form_.AddEdit(kSemiMajor, "Semi-major :", EditKind::Real);
  a.hasRange = true;
  a.min = kMinSemiMajorAxis;
  a.max = kMaxSemiMajorAxis;
  FormField& f = form_.AddEdit(kInverseFlattening, "Inv. Flat :", EditKind::Real);
  f.hasRange = true;
  f.min = kMinInverseFlattening;
  f.max = kMaxInverseFlattening;
  LimitShift(form_.AddEdit(kDx, "DX =", EditKind::Integer));
  LimitShift(form_.AddEdit(kDy, "DY =", EditKind::Integer));
  LimitShift(form_.AddEdit(kDz, "DZ =", EditKind::Integer));
  form_.AddLabel(kShiftHint, kDatumShiftSignHint);
  form_.AddRadioGroup(kOptions, "Options",
                      {DatumOptionText(DatumOption::Select), DatumOptionText(DatumOption::Define),
                       DatumOptionText(DatumOption::SelectAndDefine)},
                      0);
  form_.AddOkCancel();
  Fill(0);
  form_.OnChange([this](Form& form, int id) {
    if (id == kName) Fill(form.Selected(kName));
    if (id == kOptions) ChooseOption(form.Selected(kOptions));
  });
  form_.OnOk([this](Form& form) {
    const auto option = static_cast<DatumOption>(form.Selected(kOptions));
    accepted_ = AcceptDatum(option, form.Selected(kName), ReadEntry(), config_);
  });
}

// Rows 1 and 2 are the user's to edit; every other row shows the tables, disabled.
void DatumForm::Fill(int row) {
  const std::optional<DatumFields> fields = DatumRowFields(row, config_);
  if (!fields) return;
  form_.SetLabel(kNumber, DatumNumberLabel(fields->number));
  form_.SetText(kCountries, fields->countries);
  form_.SetText(kEllipse, fields->ellipsoidName);
  form_.SetText(kSemiMajor, DatumRealText(fields->semiMajorAxis));
  form_.SetText(kInverseFlattening, DatumRealText(fields->inverseFlattening));
  form_.SetText(kDx, std::to_string(fields->dx));
  form_.SetText(kDy, std::to_string(fields->dy));
  form_.SetText(kDz, std::to_string(fields->dz));
  for (int id : kParameterFields) form_.SetEnabled(id, fields->editable);
}

void DatumForm::ChooseOption(int option) {
  if (option < 0 || option > 2) return;
  const int row = DatumRowForOption(static_cast<DatumOption>(option));
  form_.Select(kName, row);  // fills the fields through the change handler
}

// The form's exchange has checked every enabled field; a built-in row's disabled fields are
// the table's and are not read back (AcceptDatum sends the table's values).
DatumEntry DatumForm::ReadEntry() const {
  DatumEntry e;
  e.countries = form_.Text(kCountries);
  e.ellipsoidName = form_.Text(kEllipse);
  e.semiMajorAxis = form_.RealValue(kSemiMajor).value_or(0);
  e.inverseFlattening = form_.RealValue(kInverseFlattening).value_or(0);
  e.dx = static_cast<int16_t>(form_.IntValue(kDx).value_or(0));
  e.dy = static_cast<int16_t>(form_.IntValue(kDy).value_or(0));
  e.dz = static_cast<int16_t>(form_.IntValue(kDz).value_or(0));
  return e;
}

}  // namespace orv
