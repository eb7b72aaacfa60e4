#include "sorting/scan.h"

#include <optional>
#include <utility>
#include <vector>

#include "sorting/entry_search.h"
#include "window/texts.h"

namespace orvane {
namespace {

constexpr std::uint32_t kMask =
    attr::kArchive | attr::kReadOnly | attr::kSystem | attr::kHidden | attr::kDirectory;

// A folder on the current line of descent. Its identity is read only when a folder link has to
// be checked against it, so that ordinary trees cost nothing more.
struct Ancestor {
  const std::string* path;
  bool known = false;
  std::optional<FileId> id;
};

struct Scan {
  FileSystem& fs;
  const FileListSink& sink;
  std::vector<Ancestor> line;

  // True when the folder link at `path` leads back to a folder being scanned: descending it
  // would list the same files again, and two such links would never end.
  bool leads_into_line(const std::string& path) {
    const std::optional<FileId> id = fs.identity(path);
    if (!id) return false;
    for (Ancestor& a : line) {
      if (!a.known) {
        a.id = fs.identity(*a.path);
        a.known = true;
      }
      if (a.id == id) return true;
    }
    return false;
  }

  void folder(const std::string& path) {
    struct Subfolder {
      std::string name;
      bool linked;
    };
    std::vector<Subfolder> subfolders;

    SearchHandle search;
    std::string name = search_start(fs, fs.child(path, "*.*"), kMask, search);
    while (!name.empty()) {
      std::string entry = fs.child(path, name);
      if (fs.attributes(entry) & attr::kDirectory) {
        subfolders.push_back({std::move(name), (search.attributes & attr::kReparsePoint) != 0});
      } else {
        sink(entry);
      }
      name = search_next(kMask, search);
    }

    line.push_back({&path, false, std::nullopt});
    for (const Subfolder& sub : subfolders) {
      if (sub.name == "." || sub.name == "..") continue;
      const std::string sub_path = fs.child(path, sub.name);
      if (sub.linked && leads_into_line(sub_path)) continue;
      folder(sub_path);
    }
    line.pop_back();
    search_end(search);
  }
};

}  // namespace

void 列出文件(const std::string& folder, FileSystem& fs, const FileListSink& sink) {
  Scan{fs, sink, {}}.folder(folder);
}

void 提取文件名按钮_被单击(ControlOps& ui, FileSystem& fs) {
  ui.clear(控件::列表框1);
  列出文件(ui.caption(控件::标签1), fs,
           [&ui](const std::string& path) { ui.add_item(控件::列表框1, path); });
  if (ui.item_text(控件::列表框1, 0).empty()) {
    ui.message_box(native_text(kMessageNoFiles));
    ui.set_disabled(控件::保存到按钮, 1);
    ui.set_caption(控件::标签2, "");
    ui.set_disabled(控件::开始分类按钮, 1);
    return;
  }
  ui.set_disabled(控件::保存到按钮, 0);
}

}  // namespace orvane
