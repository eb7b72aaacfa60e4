// Moving runs killed at random moments. The run is a program of its own (orvane_run_helper); the
// test starts it over a fresh tree, kills it with SIGKILL after a seeded random delay, and checks
// what the kill left: every file's bytes complete at its source or at its target, nothing else
// but temporaries of copies. A second run over the same list must then end as usual and sort
// everything.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/file_system_posix.h"
#include "sorting/run.h"
#include "tests/fake_controls.h"
#include "tests/reliability/sorted_tree.h"
#include "window/texts.h"

namespace orvane {
namespace {

// Some forty files: empty, small and up to 64 KiB, in nested folders; every
// tenth has a target that stands before the run, so that it goes through a copy even on one
// file system.
testing::SortedTree crash_tree(const testing::RunPlaces& places) {
  testing::SortedTree t;
  t.src = places.src;
  t.dst = places.dst;
  const char* const kExtensions[] = {"jpg", "txt", "gz", "bin"};
  for (unsigned i = 0; i < 40; ++i) {
    const std::string ext = kExtensions[i % 4];
    const std::string name = "f" + std::to_string(i) + "." + ext;
    const std::string folder = i % 3 == 0 ? "" : "d" + std::to_string(i % 5) + "/";
    const std::size_t size = i % 7 == 0 ? 0 : (i % 3 == 0 ? (64u << 10) + i : 100 + i * 37);
    t.files.push_back({folder + name, testing::distinct_bytes(size, i + 1), ext + "/" + name});
    if (i % 10 == 5) t.old_targets[ext + "/" + name] = "old target " + std::to_string(i);
  }
  return t;
}

struct Outcome {
  bool started = false;  // the helper reported that its run begins
  bool killed = false;
  bool ended = false;              // exited with status 0 before the kill came
  std::chrono::nanoseconds ran{};  // from the start of the run to the end of the process
};

// Starts the helper over `tree` and kills it `delay` after it reports that the run begins; a
// negative delay lets it run to its end.
Outcome run_helper(const testing::SortedTree& tree, const std::string& list_file,
                   std::chrono::nanoseconds delay) {
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    // The copy dup2 makes is kept open across exec; a descriptor that is 3 already is not copied.
    if (ready[1] == 3) {
      ::fcntl(3, F_SETFD, 0);
    } else {
      ::dup2(ready[1], 3);
    }
    ::execl(ORVANE_RUN_HELPER, ORVANE_RUN_HELPER, tree.dst.c_str(), list_file.c_str(), "move",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  char byte;
  const bool started = ::read(ready[0], &byte, 1) == 1;
  const auto start = std::chrono::steady_clock::now();
  ::close(ready[0]);
  if (started && delay.count() >= 0) {
    const struct timespec pause = {static_cast<time_t>(delay.count() / 1000000000),
                                   static_cast<long>(delay.count() % 1000000000)};
    ::nanosleep(&pause, nullptr);
    ::kill(child, SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  Outcome o;
  o.started = started;
  o.ran = std::chrono::steady_clock::now() - start;
  o.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  o.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return o;
}

void write_list(const std::string& path, const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) list += item + '\0';
  testing::write_file(path, list);
}

struct KilledRun : ::testing::TestWithParam<bool> {};

TEST_P(KilledRun, LeavesEveryFileWholeAtItsSourceOrTargetAndASecondRunFinishes) {
  const bool across = GetParam();
  {
    testing::RunPlaces probe(across);
    if (!probe.reason.empty()) GTEST_SKIP() << "No second file system: " << probe.reason;
  }
  const char* seed_text = std::getenv("ORVANE_CRASH_SEED");
  const unsigned seed = seed_text ? static_cast<unsigned>(std::strtoul(seed_text, nullptr, 10))
                                  : 20261211u + (across ? 1u : 0u);
  std::cout << "seed " << seed << " (set ORVANE_CRASH_SEED to repeat another)\n";
  std::mt19937 random(seed);
  testing::TempDir lists;
  const std::string list_file = lists / "items";

  // How long an undisturbed run takes here (the shortest of five: the flush that ends a run
  // varies with the load of the disk), so that the kills spread over the whole run.
  std::vector<std::chrono::nanoseconds> spans;
  for (int i = 0; i < 5; ++i) {
    testing::RunPlaces places(across);
    const testing::SortedTree tree = crash_tree(places);
    tree.write();
    write_list(list_file, tree.items());
    const Outcome o = run_helper(tree, list_file, std::chrono::nanoseconds(-1));
    ASSERT_TRUE(o.started && o.ended);
    ASSERT_EQ(tree.damage(false, false), "");
    spans.push_back(o.ran);
  }
  const std::chrono::nanoseconds span = *std::min_element(spans.begin(), spans.end());

  constexpr int kKills = 200;
  int killed = 0, ended_first = 0, partway = 0, with_temporary = 0;
  for (int i = 0; i < kKills; ++i) {
    testing::RunPlaces places(across);
    const testing::SortedTree tree = crash_tree(places);
    tree.write();
    write_list(list_file, tree.items());
    std::uniform_int_distribution<long long> pick(0, span.count() + span.count() / 10);
    const std::chrono::nanoseconds delay(i % 20 == 0 ? 0 : pick(random));
    SCOPED_TRACE("kill " + std::to_string(i) + " after " + std::to_string(delay.count()) + " ns");

    const Outcome o = run_helper(tree, list_file, delay);
    ASSERT_TRUE(o.started);
    ASSERT_TRUE(o.killed || o.ended);
    killed += o.killed ? 1 : 0;
    ended_first += o.ended ? 1 : 0;
    ASSERT_EQ(tree.damage(false, true), "") << "after the kill";
    const std::size_t left = testing::files_under(tree.src).size();
    partway += left > 0 && left < tree.files.size() ? 1 : 0;
    with_temporary += testing::temporaries(tree.dst).empty() ? 0 : 1;

    testing::FakeControls ui;
    ui.log_positions = false;
    ui.captions[控件::标签2] = tree.dst;
    ui.items = tree.items();
    ui.tick = 1;
    {
      PosixFileSystem fs;
      分类文件(ui, fs);
    }
    ASSERT_EQ(ui.messages, std::vector<std::string>{native_text(kMessageDone)});
    ASSERT_EQ(ui.bar.position(), static_cast<int>(tree.files.size()));
    ASSERT_EQ(tree.damage(false, true), "") << "after the second run";
    // Every target is unique: the second run sorts whatever the first one left.
    for (const testing::SourceFile& f : tree.files) {
      ASSERT_EQ(testing::read_file(tree.src + "/" + f.rel), "<missing>") << f.rel;
      ASSERT_TRUE(testing::read_file(tree.dst + "/" + f.target) == f.content) << f.target;
    }
  }
  std::cout << killed << " runs killed, " << ended_first << " ended before their kill; " << partway
            << " kills left some files moved and some not, " << with_temporary
            << " left a temporary\n";
}

INSTANTIATE_TEST_SUITE_P(Places, KilledRun, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "AcrossTwoFileSystems" : "OnOneFileSystem");
});

}  // namespace
}  // namespace orvane
