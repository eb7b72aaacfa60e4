#include "window/handlers.h"

#include "sorting/run.h"
#include "sorting/scan.h"
#include "window/folder_choice.h"

namespace orvane {

void on_click(控件 button, ControlOps& ui, FileSystem& fs) {
  switch (button) {
    case 控件::原始目录按钮:
      原始目录按钮_被单击(ui, fs);
      break;
    case 控件::提取文件名按钮:
      提取文件名按钮_被单击(ui, fs);
      break;
    case 控件::保存到按钮:
      保存到按钮_被单击(ui);
      break;
    case 控件::开始分类按钮:
      分类文件(ui, fs);
      break;
    default:
      break;
  }
}

}  // namespace orvane
