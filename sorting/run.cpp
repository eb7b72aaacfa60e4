#include "sorting/run.h"

#include <functional>
#include <set>
#include <string>
#include <unordered_set>

#include "platform/path_rules.h"
#include "window/texts.h"

namespace orvane {
namespace {

// What this run's moves have put in place: their identities, so that a second spelling of one
// target on a case-insensitive file system is recognised too, and their target paths, which
// still protect a placed file when its identity cannot be read. Paths are kept as hashes to stay
// small over a million moves; two paths that share a hash only keep a source where it is.
struct Placed {
  std::set<FileId> ids;
  std::unordered_set<std::size_t> paths;
};

// Moves `item` to `target` unless a move of this same run already put a file there: replacing
// that file would leave it nowhere.
void move_unless_placed(FileSystem& fs, const std::string& item, const std::string& target,
                        Placed& placed) {
  const std::size_t path = std::hash<std::string>{}(target);
  if (placed.paths.count(path)) return;
  if (!placed.ids.empty()) {
    const auto standing = fs.identity(target);
    if (standing && placed.ids.count(*standing)) return;
  }
  if (!fs.move_file(item, target)) return;
  placed.paths.insert(path);
  if (const auto id = fs.identity(target)) placed.ids.insert(*id);
}

}  // namespace

void 分类文件(ControlOps& ui, FileSystem& fs) {
  ui.set_position(控件::进度条1, 0);
  const std::string destination = ui.caption(控件::标签2);
  const int count = ui.item_count(控件::列表框1);
  ui.set_maximum(控件::进度条1, count);

  const std::string separator(1, fs.separator());
  const auto lead_byte = [&fs](unsigned char b) { return fs.is_lead_byte(b); };
  Placed placed;

  for (int i = 0; i < count; ++i) {
    const std::string item = ui.item_text(控件::列表框1, i);
    const std::size_t dot = fs.extension_start(item);
    const std::string folder_name = dot + 1 < item.size() ? item.substr(dot + 1) : std::string();
    const std::string folder_path = destination + separator + folder_name;
    fs.create_folder(folder_path);
    const std::string target =
        folder_path + separator + file_name_of(item, fs.separator(), lead_byte);
    if (ui.ticked(控件::选择框1)) {
      move_unless_placed(fs, item, target, placed);
    } else {
      fs.copy_file(item, target);
    }
    ui.set_position(控件::进度条1, ui.position(控件::进度条1) + 1);
  }

  fs.finish_moves();
  ui.message_box(native_text(kMessageDone));
}

}  // namespace orvane
