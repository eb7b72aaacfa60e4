// Click handlers of the two folder-choice buttons.
#pragma once

#include "platform/file_system.h"
#include "window/control_ops.h"

namespace orvane {

void 原始目录按钮_被单击(ControlOps& ui, const FileSystem& fs);
void 保存到按钮_被单击(ControlOps& ui);

}  // namespace orvane
