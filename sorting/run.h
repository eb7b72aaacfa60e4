// The classification run: the click handler of the start button.
#pragma once

#include "platform/file_system.h"
#include "window/control_ops.h"

namespace orvane {

// Copies, or moves when the check box is ticked, every listed file into the folder of its
// extension under the destination, advancing the progress bar, and reports the end.
void 分类文件(ControlOps& ui, FileSystem& fs);

}  // namespace orvane
