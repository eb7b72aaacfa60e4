#include "window/folder_choice.h"

#include "window/texts.h"

namespace orvane {

void 原始目录按钮_被单击(ControlOps& ui, const FileSystem& fs) {
  // A cancelled choice forgets the source chosen before.
  ui.set_caption(控件::标签1, ui.browse_for_folder(native_text(kPromptSource)));

  const std::string picked = ui.caption(控件::标签1);
  const std::string held = fs.source_folder_form(picked);
  if (held != picked) ui.set_caption(控件::标签1, held);

  if (!ui.caption(控件::标签1).empty()) {
    ui.set_disabled(控件::提取文件名按钮, 0);
    return;
  }
  ui.set_disabled(控件::提取文件名按钮, 1);
  ui.set_disabled(控件::保存到按钮, 1);
  ui.set_disabled(控件::开始分类按钮, 1);
  ui.clear(控件::列表框1);
  ui.set_caption(控件::标签2, "");
}

void 保存到按钮_被单击(ControlOps& ui) {
  ui.set_caption(控件::标签2, ui.browse_for_folder(native_text(kPromptDestination)));
  if (!ui.caption(控件::标签2).empty()) {
    ui.set_disabled(控件::开始分类按钮, 0);
    return;
  }
  ui.set_disabled(控件::开始分类按钮, 1);
  // The credit line goes away with a cancelled destination and does not come back.
  ui.set_caption(控件::标签3, "");
}

}  // namespace orvane
