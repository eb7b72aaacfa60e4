// Drives the real window 启动窗口 for the benchmarks, offscreen unless QT_QPA_PLATFORM says
// otherwise. The folder choosers are answered by stand-ins of the dialogs and the buttons are
// clicked, so each step runs through the same click handlers as a person's click.
//
//   orvane_bench_window scan SRC         times 提取文件名 until the list box shows the rows
//   orvane_bench_window copy SRC DEST    lists SRC, chooses DEST, times 立即开始分类
//   orvane_bench_window move SRC DEST    the same with the check box ticked
//   orvane_bench_window memory SRC       peak resident memory of listing SRC, over the idle window
//
// One line of key=value pairs goes to standard output; the exit code is not 0 when the step did
// not end as it should (no files listed, no closing message).
#include <malloc.h>

#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QPushButton>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "window/qt/main_window.h"
#include "window/texts.h"

namespace {

using orvane::控件;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A field of /proc/self/status in KiB, such as VmRSS or VmHWM.
long status_kib(const std::string& field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, field.size() + 1, field + ":") == 0)
      return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
  return -1;
}

class Driver {
 public:
  explicit Driver(orvane::FileSystem& fs) : window_(fs) {
    window_.replace_dialogs(
        [this](const std::string&) {
          std::string pick = picks_.empty() ? std::string() : picks_.front();
          if (!picks_.empty()) picks_.pop_front();
          return pick;
        },
        [this](const std::string& message) { messages_.push_back(message); });
    window_.show();
    for (int i = 0; i < 200 && !(window_.windowHandle() && window_.windowHandle()->isExposed());
         ++i)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    settle();
  }

  void pick_next(const std::string& folder) { picks_.push_back(folder); }
  void click(控件 button) { static_cast<QPushButton*>(window_.widget(button))->click(); }
  void tick() { static_cast<QCheckBox*>(window_.widget(控件::选择框1))->setChecked(true); }
  int items() const { return window_.item_count(控件::列表框1); }
  std::size_t path_bytes() const {
    std::size_t total = 0;
    for (int i = 0; i < items(); ++i) total += window_.item_text(控件::列表框1, i).size();
    return total;
  }
  bool ended_with_done() const {
    return !messages_.empty() && messages_.back() == orvane::native_text(orvane::kMessageDone);
  }

  // Lets the window do what the click left for the event loop: the list box learns of the new
  // rows, lays them out and paints them.
  void settle() {
    auto* view = static_cast<QListView*>(window_.widget(控件::列表框1));
    for (int i = 0; i < 1000 && view->model()->rowCount() < items(); ++i)
      QCoreApplication::processEvents();
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

 private:
  orvane::启动窗口 window_;
  std::deque<std::string> picks_;
  std::vector<std::string> messages_;
};

int usage() {
  std::fprintf(
      stderr, "usage: orvane_bench_window scan SRC | copy SRC DEST | move SRC DEST | memory SRC\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string mode = argv[1];
  const std::string source = argv[2];
  const bool run = mode == "copy" || mode == "move";
  if (run != (argc == 4) || (!run && mode != "scan" && mode != "memory")) return usage();

  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  orvane::prepare_application(app);
  const std::unique_ptr<orvane::FileSystem> fs = orvane::make_system_file_system();
  Driver d(*fs);

  long idle_rss = 0;
  if (mode == "memory") {
    idle_rss = status_kib("VmRSS");
    // From here VmHWM counts only what comes after the idle window.
    std::ofstream("/proc/self/clear_refs") << "5";
  }

  d.pick_next(source);
  d.click(控件::原始目录按钮);
  const Clock::time_point scan_start = Clock::now();
  d.click(控件::提取文件名按钮);
  const double handler = seconds_since(scan_start);
  const long listed_rss = mode == "memory" ? status_kib("VmRSS") : 0;
  d.settle();
  const double scan = seconds_since(scan_start);
  if (d.items() == 0) {
    std::fprintf(stderr, "orvane_bench_window: no files listed under %s\n", source.c_str());
    return 1;
  }

  if (mode == "scan") {
    std::printf("seconds=%.6f handler_seconds=%.6f items=%d\n", scan, handler, d.items());
  } else if (mode == "memory") {
    const long peak = status_kib("VmHWM");
    const struct mallinfo2 heap = mallinfo2();
    // listed_rss_kib: after the click handler, before the view has laid out the rows.
    std::printf(
        "idle_rss_kib=%ld listed_rss_kib=%ld peak_kib=%ld rss_kib=%ld heap_in_use=%zu items=%d "
        "path_bytes=%zu\n",
        idle_rss, listed_rss, peak, status_kib("VmRSS"), heap.uordblks + heap.hblkhd, d.items(),
        d.path_bytes());
  } else {
    d.pick_next(argv[3]);
    d.click(控件::保存到按钮);
    if (mode == "move") d.tick();
    const Clock::time_point run_start = Clock::now();
    d.click(控件::开始分类按钮);
    const double seconds = seconds_since(run_start);
    if (!d.ended_with_done()) {
      std::fprintf(stderr, "orvane_bench_window: the run did not report its end\n");
      return 1;
    }
    std::printf("seconds=%.6f items=%d\n", seconds, d.items());
  }
  return 0;
}
