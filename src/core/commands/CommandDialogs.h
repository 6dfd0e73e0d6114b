// Runs the receiver command dialogs of the Tool Setting and Xmit Msg menus and of the windows'
// popups: each command opens its form modally and hands what OK gives to the FrameEncoder.
#pragma once

#include "platform/Desktop.h"
#include "protocol/FrameEncoder.h"

namespace orv {

// True for the commands RunCommandDialog handles.
bool IsCommandDialog(int command);
// Opens the dialog of `command` through `runner` and sends what its OK gives; false when the
// command has no dialog here.
// The desktop runs the forms and gives the clock of the date dialog.
bool RunCommandDialog(int command, Desktop& runner, FrameEncoder& encoder);

}  // namespace orv
