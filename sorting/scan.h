// File list extraction: the recursive scan and the click handler of the extract button.
#pragma once

#include <functional>
#include <string>

#include "platform/file_system.h"
#include "window/control_ops.h"

namespace orvane {

using FileListSink = std::function<void(const std::string& path)>;

// Appends the full path of every file under `folder`, at any depth, to `sink`: a folder's files
// before anything from its subfolders, subfolders depth first in the order they are delivered,
// one search open at a time.
void 列出文件(const std::string& folder, FileSystem& fs, const FileListSink& sink);

void 提取文件名按钮_被单击(ControlOps& ui, FileSystem& fs);

}  // namespace orvane
