// Runs the sorting as the start button does, over the real file system, with test controls.
//
//   orvane_run_helper DESTINATION LIST copy|move
//
// LIST holds the items separated by NUL bytes. When descriptor 3 is open, one byte is written to
// it just before the run starts. Exit status 0 when the run ended with its message and the bar at
// the item count, 1 when it did not, 2 on wrong arguments.
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_system_posix.h"
#include "sorting/run.h"
#include "tests/fake_controls.h"
#include "window/texts.h"

int main(int argc, char** argv) {
  using namespace orvane;
  if (argc != 4) return 2;
  const std::string mode = argv[3];
  if (mode != "copy" && mode != "move") return 2;
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) return 2;
  const std::string list((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  testing::FakeControls ui;
  ui.log_positions = false;
  ui.log_items = false;
  ui.captions[控件::标签2] = argv[1];
  ui.tick = mode == "move" ? 1 : 0;
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = list.find('\0', at);
    ui.items.push_back(list.substr(at, end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }

  PosixFileSystem fs;
  const char ready = 'r';
  [[maybe_unused]] const auto n = ::write(3, &ready, 1);
  分类文件(ui, fs);
  const bool ended = ui.messages.size() == 1 && ui.messages[0] == native_text(kMessageDone) &&
                     ui.bar.position() == static_cast<int>(ui.items.size());
  return ended ? 0 : 1;
}
