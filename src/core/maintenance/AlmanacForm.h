// The "Almanac data transfer" dialog: the Yuma file to send (typed, or chosen with "Browse")
// and the SV type every record is sent as.
#pragma once

#include <string>

#include "forms/Form.h"

namespace orv {

inline constexpr char kYumaFileFilter[] = "Yuma file (*.alm)|*.alm|All Files (*.*)|*.*||";

class AlmanacForm {
 public:
  static constexpr int kFileName = 1001;
  static constexpr int kBrowse = 1002;
  static constexpr int kSvType = 1003;  // "GLONASS" (not offered), "GPS", "GIC"

  // The file name starts as the current folder and a "/"; `desktop` asks for files on Browse
  // (null: Browse does nothing).
  AlmanacForm(const std::string& currentFolder, Desktop* desktop);
  AlmanacForm(const AlmanacForm&) = delete;
  AlmanacForm& operator=(const AlmanacForm&) = delete;

  Form& form() { return form_; }
  std::string fileName() const { return form_.Text(kFileName); }
  // 0 GLONASS, 1 GPS, 2 GIC.
  int svType() const;

 private:
  Form form_;
};

}  // namespace orv
