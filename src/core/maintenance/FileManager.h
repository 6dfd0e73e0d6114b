// The receiver file manager: the "File Operation" dialog that builds the message 70 sub-ID 1
// request (create, close, delete or modify a file in the receiver's memory), and the window
// that shows the receiver's answer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "config/Configuration.h"
#include "forms/Form.h"
#include "windows/Page.h"

namespace orv {

class FrameEncoder;

namespace fileaction {
inline constexpr int kCreate = 0;
inline constexpr int kClose = 1;
inline constexpr int kDelete = 2;
inline constexpr int kModify = 3;
inline constexpr int kInfo = 4;
}  // namespace fileaction

// The six attributes in the order of the dialog's boxes; a bit of `ticked` each.
enum FileAttribute { kAttrFileName, kAttrPointName, kAttrPointCode, kAttrAntennaHeight, kAttrAntennaMethod,
                     kAttrOperatorName, kAttrCount };

struct FileAttributes {
  std::string fileName;      // at most 8 characters
  std::string pointName;     // 16
  std::string pointCode;     // 16
  int16_t antennaHeight = 0;
  uint8_t antennaMethod = 0;
  std::string operatorName;  // 3
};

inline constexpr std::size_t kFileManagerRequestSize = 53;
using FileManagerRequest = std::array<uint8_t, kFileManagerRequestSize>;

// The 53 bytes after the sub-ID: the action, each attribute whose bit of `ticked` is set (the
// others as zeros), and for "Modify" the change mask of byte 47. Texts are zero-padded and cut
// to their field.
FileManagerRequest BuildFileManagerRequest(int action, const FileAttributes& attributes, unsigned ticked);
// The poll and "File info": action 4 and every other byte zero.
FileManagerRequest FileInfoRequest();

// "Create" ... "Info."; an action with no name shows its number.
std::string FileActionText(int action);
// The result code's text; codes outside the table are "Bad error code".
std::string FileResultText(int code);

// "File Operation": group "Action" and group "File Attribute" with a box and a field per
// attribute. The fields open with the values kept in the settings; OK keeps them there.
class CFileOperationDialog {
 public:
  static constexpr int kAction = 2201;         // "Create", "Close", "Delete", "Modify"
  static constexpr int kAttributeTitle = 2202;
  static constexpr int kFirstBox = 2210;       // + FileAttribute
  static constexpr int kFirstField = 2220;     // + FileAttribute

  explicit CFileOperationDialog(Configuration& settings);
  Form& form() { return form_; }
  // After OK: the request to send and its action.
  const std::optional<FileManagerRequest>& accepted() const { return accepted_; }
  int action() const { return form_.Selected(kAction); }
  std::string fileName() const { return form_.Text(kFirstField + kAttrFileName); }

 private:
  void ApplyRules(Form& f);
  bool BoxEnabled(int attribute) const;

  Configuration& settings_;
  Form form_;
  std::optional<FileManagerRequest> accepted_;
};

// Runs the dialog and sends its request; a Delete is sent only once the user has confirmed it.
void RunFileOperation(FormRunner& runner, Configuration& settings, FrameEncoder& encoder);

// The answer of message 70 sub-ID 1, labels at the left and values at x = 155.
class CQuenmarshFileManagerWnd : public RecordPage<FileManagerRecord> {
 public:
  static constexpr int kFileOperation = pagecmd::kSpecific1;
  static constexpr int kFileInfo = pagecmd::kSpecific2;

  explicit CQuenmarshFileManagerWnd(const PageContext& context);

 protected:
  void DrawLabels(Canvas& canvas) override;
  void DrawValues(Canvas& canvas) override;
  void OnPageCommand(int command) override;
};

}  // namespace orv
