// Which handler each button's click runs: one table for every window.
#pragma once

#include "platform/file_system.h"
#include "window/control_ops.h"

namespace orvane {

// Runs the click handler of `button`; clicks of other controls do nothing.
void on_click(控件 button, ControlOps& ui, FileSystem& fs);

}  // namespace orvane
