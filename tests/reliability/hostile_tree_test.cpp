// Scans and runs over the real file system on trees that are hard to handle: odd names, paths
// past PATH_MAX, huge and deep folders, folders and files the user may not read, trees that
// change between the scan and the run, destinations that cannot take the files. Each scan and
// run must end, sort what can be sorted, and leave everything else where it was.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system_posix.h"
#include "sorting/run.h"
#include "sorting/scan.h"
#include "tests/fake_controls.h"
#include "tests/reliability/faulty_file_system.h"
#include "tests/reliability/sorted_tree.h"
#include "tests/scan_support.h"
#include "window/texts.h"

namespace orvane {
namespace {

using testing::TempDir;

using testing::scan;

std::vector<std::string> sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// Runs the start button over `items`; true when the run ended with its message and the bar at
// the item count.
bool sort_files(FileSystem& fs, const std::string& destination, std::vector<std::string> items,
                bool moving) {
  testing::FakeControls ui;
  ui.log_positions = false;
  ui.log_items = false;
  ui.captions[控件::标签2] = destination;
  ui.items = std::move(items);
  ui.tick = moving ? 1 : 0;
  分类文件(ui, fs);
  // The bar, like the real controls, holds no more than ProgressValues::kLimit.
  return ui.messages == std::vector<std::string>{native_text(kMessageDone)} &&
         ui.bar.position() == ProgressValues::clamp(static_cast<int>(ui.items.size()));
}

std::string mode_name(bool moving) {
  return moving ? "Move" : "Copy";
}

// A source and a destination folder in one fresh test folder.
struct Folders {
  TempDir dir;
  std::string src = dir / "src";
  std::string dst = dir / "dst";
  PosixFileSystem fs;
  Folders() {
    testing::make_dirs(src);
    testing::make_dirs(dst);
  }
};

// --- Odd names -----------------------------------------------------------------------------

struct OddName {
  const char* label;
  std::string name;
  std::string folder;  // the extension folder the run puts it in; empty: the destination
};

const OddName kOddNames[] = {
    {"Newline", "new\nline.txt", "txt"},
    {"Backslash", "back\\slash.txt", "txt"},
    {"LeadingDash", "-rf.txt", "txt"},
    {"LeadingDashNoExtension", "-n", ""},
    {"InvalidUtf8", "\xff\xfe\xc3(.bin", "bin"},
    {"InvalidUtf8Extension", "name.\xff\x80", "\xff\x80"},
    {"NewlineInExtension", "name.a\nb", "a\nb"},
    {"Longest", std::string(251, 'n') + ".txt", "txt"},
};

struct OddNames : ::testing::TestWithParam<std::tuple<bool, OddName>> {};

TEST_P(OddNames, FileAndFolderByThatNameAreListedAndSorted) {
  const auto& [moving, c] = GetParam();
  Folders f;
  // The name on a file, and on a folder that holds a file.
  const std::string file = f.src + "/a/" + c.name;
  const std::string inner = f.src + "/b/" + c.name + "/inner.dat";
  testing::make_dirs(f.src + "/a");
  testing::make_dirs(f.src + "/b/" + c.name);
  testing::write_file(file, "odd file");
  testing::write_file(inner, "inner file");

  const auto list = scan(f.fs, f.src);
  ASSERT_EQ(sorted(list), sorted({file, inner}));
  ASSERT_TRUE(sort_files(f.fs, f.dst, list, moving));

  const std::string target = f.dst + (c.folder.empty() ? "" : "/" + c.folder) + "/" + c.name;
  EXPECT_EQ(testing::read_file(target), "odd file");
  EXPECT_EQ(testing::read_file(f.dst + "/dat/inner.dat"), "inner file");
  EXPECT_EQ(testing::read_file(file), moving ? "<missing>" : "odd file");
  EXPECT_EQ(testing::read_file(inner), moving ? "<missing>" : "inner file");
  EXPECT_EQ(testing::temporaries(f.dir.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Names, OddNames,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(kOddNames)),
                         [](const auto& info) {
                           return mode_name(std::get<0>(info.param)) +
                                  std::get<1>(info.param).label;
                         });

// --- Paths past PATH_MAX -------------------------------------------------------------------

// Works below `root` by descriptors, so that paths of any length can be made, read and removed.
class DeepChain {
 public:
  // `depth` nested folders named `name` under `root`; level i (0: root) holds f<i>.txt.
  DeepChain(const std::string& root, const std::string& name, int depth)
      : root_(root), name_(name), depth_(depth) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i <= depth && fd >= 0; ++i) {
      const int file = ::openat(fd, file_name(i).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      const std::string content = content_of(i);
      if (file >= 0) {
        [[maybe_unused]] const auto n = ::write(file, content.data(), content.size());
        ::close(file);
      }
      if (i == depth) break;
      ::mkdirat(fd, name.c_str(), 0777);
      const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
    }
    if (fd >= 0) ::close(fd);
  }
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;
  ~DeepChain() {
    const int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      remove_at(fd, name_);
      ::close(fd);
    }
  }

  std::string path_of(int level) const {
    std::string p = root_;
    for (int i = 0; i < level; ++i) p += "/" + name_;
    return p + "/" + file_name(level);
  }
  static std::string file_name(int level) { return "f" + std::to_string(level) + ".txt"; }
  static std::string content_of(int level) { return "level " + std::to_string(level); }

  // Whether level `level` still holds its file with its content, read by descriptors.
  bool holds(int level) const {
    int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < level && fd >= 0; ++i) {
      const int next = ::openat(fd, name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
    }
    if (fd < 0) return false;
    const int file = ::openat(fd, file_name(level).c_str(), O_RDONLY | O_CLOEXEC);
    ::close(fd);
    if (file < 0) return false;
    char buffer[64];
    const ssize_t n = ::read(file, buffer, sizeof buffer);
    ::close(file);
    return n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == content_of(level);
  }
  int depth() const { return depth_; }

 private:
  static void remove_at(int parent, const std::string& name) {
    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      ::unlinkat(parent, name.c_str(), 0);
      return;
    }
    DIR* d = ::fdopendir(fd);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    for (const std::string& n : names) remove_at(::dirfd(d), n);
    ::closedir(d);
    ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
  }

  std::string root_, name_;
  int depth_;
};

struct PathsPastPathMax : ::testing::TestWithParam<bool> {};

TEST_P(PathsPastPathMax, ScanEndsAndWhatCannotBeReachedStaysWhereItIs) {
  const bool moving = GetParam();
  Folders f;
  // 25 folders of 200 bytes: the deepest paths are over 5,000 bytes long.
  DeepChain chain(f.src, std::string(200, 'd'), 25);
  ASSERT_GT(chain.path_of(chain.depth()).size(), std::size_t{PATH_MAX});
  ASSERT_TRUE(chain.holds(chain.depth()));

  const auto list = scan(f.fs, f.src);
  std::set<std::string> listed(list.begin(), list.end());
  EXPECT_EQ(listed.size(), list.size()) << "a file was listed twice";
  for (int i = 0; i <= chain.depth(); ++i) {
    const std::string path = chain.path_of(i);
    if (path.size() < PATH_MAX) {
      EXPECT_TRUE(listed.count(path)) << "level " << i;
    }
    listed.erase(path);
  }
  EXPECT_EQ(listed, std::set<std::string>{}) << "listed files that are not in the tree";

  ASSERT_TRUE(sort_files(f.fs, f.dst, list, moving));
  for (int i = 0; i <= chain.depth(); ++i) {
    const bool reachable = chain.path_of(i).size() < PATH_MAX;
    const std::string target = f.dst + "/txt/" + DeepChain::file_name(i);
    EXPECT_EQ(testing::read_file(target),
              reachable ? DeepChain::content_of(i) : std::string("<missing>"))
        << "level " << i;
    EXPECT_EQ(chain.holds(i), !(reachable && moving)) << "level " << i;
  }
  EXPECT_EQ(testing::temporaries(f.dst), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Modes, PathsPastPathMax, ::testing::Bool(),
                         [](const auto& info) { return mode_name(info.param); });

// --- Large and deep trees ------------------------------------------------------------------

TEST(LargeTree, FiftyThousandFilesInOneFolderAreEachListedOnceAndMoved) {
  constexpr int kFiles = 50000;
  const char* const kExtensions[] = {"jpg", "txt", "gz", "bin", "doc"};
  Folders f;
  const std::string big = f.src + "/big";
  testing::make_dirs(big);
  std::set<std::string> expected;
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = big + "/" + std::to_string(i) + "." + kExtensions[i % 5];
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    const std::string content = std::to_string(i);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(fd);
    expected.insert(path);
  }

  const auto list = scan(f.fs, f.src);
  EXPECT_EQ(list.size(), expected.size());
  EXPECT_EQ(std::set<std::string>(list.begin(), list.end()), expected);

  ASSERT_TRUE(sort_files(f.fs, f.dst, list, true));
  EXPECT_EQ(testing::files_under(f.src), std::vector<std::string>{});
  int misplaced = 0;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = std::to_string(i) + "." + kExtensions[i % 5];
    if (testing::read_file(f.dst + "/" + kExtensions[i % 5] + "/" + name) != std::to_string(i))
      ++misplaced;
  }
  EXPECT_EQ(misplaced, 0);
}

TEST(DeepTree, TwoHundredLevelsAreListedDepthFirstAndMoved) {
  Folders f;
  DeepChain chain(f.src, "d", 200);
  std::vector<std::string> expected;
  for (int i = 0; i <= chain.depth(); ++i) expected.push_back(chain.path_of(i));

  const auto list = scan(f.fs, f.src);
  EXPECT_EQ(list, expected);

  ASSERT_TRUE(sort_files(f.fs, f.dst, list, true));
  for (int i = 0; i <= chain.depth(); ++i) {
    EXPECT_FALSE(chain.holds(i)) << "level " << i;
    EXPECT_EQ(testing::read_file(f.dst + "/txt/" + DeepChain::file_name(i)),
              DeepChain::content_of(i));
  }
}

// --- What the user may not read ------------------------------------------------------------

// A tree a user without privileges meets: a folder they may not read, one they may read but not
// enter, a file they may not read, and an ordinary file.
struct Unreadable : ::testing::TestWithParam<bool> {};

TEST_P(Unreadable, ScanAndRunEndAndLeaveWhatTheUserMayNotTouch) {
  const bool moving = GetParam();
  Folders f;
  const auto put = [&](const std::string& rel, const std::string& content) {
    testing::make_dirs((f.src + "/" + rel).substr(0, (f.src + "/" + rel).rfind('/')));
    testing::write_file(f.src + "/" + rel, content);
  };
  put("open/a.txt", "a");
  put("locked/b.txt", "b");
  put("unenterable/c.txt", "c");
  put("secret.txt", "s");
  for (const std::string& folder : {f.dir.path(), f.src, f.src + "/open", f.dst})
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  ASSERT_EQ(::chmod((f.src + "/locked").c_str(), 0000), 0);
  ASSERT_EQ(::chmod((f.src + "/unenterable").c_str(), 0444), 0);
  ASSERT_EQ(::chmod((f.src + "/secret.txt").c_str(), 0000), 0);

  const std::string src = f.src, dst = f.dst;
  EXPECT_TRUE(testing::as_unprivileged_user([&] {
    PosixFileSystem fs;
    const auto list = scan(fs, src);
    const std::set<std::string> listed(list.begin(), list.end());
    // The folder that cannot be read gives nothing. The one that cannot be entered may give its
    // names, though none of them can be opened.
    std::set<std::string> wanted = {src + "/open/a.txt", src + "/secret.txt"};
    std::set<std::string> allowed = wanted;
    allowed.insert(src + "/unenterable/c.txt");
    const bool right_list =
        std::includes(listed.begin(), listed.end(), wanted.begin(), wanted.end()) &&
        std::includes(allowed.begin(), allowed.end(), listed.begin(), listed.end());
    if (!right_list) {
      for (const auto& p : list) std::fprintf(stderr, "listed %s\n", p.c_str());
    }
    return right_list && sort_files(fs, dst, list, moving);
  }));

  EXPECT_EQ(testing::read_file(f.dst + "/txt/a.txt"), "a");
  EXPECT_EQ(testing::read_file(f.src + "/open/a.txt"), moving ? "<missing>" : "a");
  // A file the user may not read can still be moved within one file system, as mv does; it
  // cannot be copied.
  EXPECT_EQ(testing::read_file(f.dst + "/txt/secret.txt"), moving ? "s" : "<missing>");
  EXPECT_EQ(testing::read_file(f.src + "/secret.txt"), moving ? "<missing>" : "s");
  EXPECT_EQ(testing::read_file(f.src + "/locked/b.txt"), "b");
  EXPECT_EQ(testing::read_file(f.src + "/unenterable/c.txt"), "c");
  EXPECT_FALSE(testing::exists(f.dst + "/txt/b.txt"));
  EXPECT_FALSE(testing::exists(f.dst + "/txt/c.txt"));
  EXPECT_EQ(testing::temporaries(f.dst), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Modes, Unreadable, ::testing::Bool(),
                         [](const auto& info) { return mode_name(info.param); });

// --- Changes between the scan and the run --------------------------------------------------

struct Change {
  const char* label;
  void (*change)(const std::string& src);
  // What stands at dst/txt/<name> after the run for a.txt, b.txt and the added n.txt, and what
  // is left at their sources ("<missing>": nothing).
  const char* a_target;
  const char* b_target;
  const char* b_source_after_move;
};

const Change kChanges[] = {
    {"ListedFileRemoved", [](const std::string& s) { ::unlink((s + "/b.txt").c_str()); }, "a",
     "<missing>", "<missing>"},
    {"ListedFileRewritten",
     [](const std::string& s) { testing::write_file(s + "/b.txt", "rewritten"); }, "a", "rewritten",
     "<missing>"},
    {"ListedFileReplacedByALinkToAFileElsewhere",
     [](const std::string& s) {
       testing::write_file(s + "/../elsewhere", "elsewhere");
       ::unlink((s + "/b.txt").c_str());
       [[maybe_unused]] const int r =
           ::symlink((s + "/../elsewhere").c_str(), (s + "/b.txt").c_str());
     },
     "a", nullptr, nullptr},
    {"FileAdded", [](const std::string& s) { testing::write_file(s + "/n.txt", "new"); }, "a", "b",
     "<missing>"},
};

struct ChangedTree : ::testing::TestWithParam<std::tuple<bool, Change>> {};

TEST_P(ChangedTree, RunSortsTheListAsTheFilesNowAreAndTouchesNothingElse) {
  const auto& [moving, c] = GetParam();
  Folders f;
  testing::write_file(f.src + "/a.txt", "a");
  testing::write_file(f.src + "/b.txt", "b");
  const auto list = scan(f.fs, f.src);
  ASSERT_EQ(list.size(), 2u);
  c.change(f.src);

  ASSERT_TRUE(sort_files(f.fs, f.dst, list, moving));
  EXPECT_EQ(testing::read_file(f.dst + "/txt/a.txt"), c.a_target);
  if (c.b_target) {
    EXPECT_EQ(testing::read_file(f.dst + "/txt/b.txt"), c.b_target);
    if (moving) {
      EXPECT_EQ(testing::read_file(f.src + "/b.txt"), c.b_source_after_move);
    }
  } else {
    // A link: a move takes the link itself, a copy takes what it leads to; the file it leads to
    // stays in any case.
    EXPECT_EQ(testing::read_file(f.dst + "/txt/b.txt"), "elsewhere");
    EXPECT_EQ(testing::read_file(f.dir / "elsewhere"), "elsewhere");
  }
  // A file added after the scan is not on the list: it stays where it is.
  if (testing::exists(f.src + "/n.txt")) {
    EXPECT_EQ(testing::read_file(f.src + "/n.txt"), "new");
    EXPECT_FALSE(testing::exists(f.dst + "/txt/n.txt"));
  }
  EXPECT_EQ(testing::temporaries(f.dst), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangedTree,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(kChanges)),
                         [](const auto& info) {
                           return mode_name(std::get<0>(info.param)) +
                                  std::get<1>(info.param).label;
                         });

// A listed file that became a folder with files in it before the run.
TEST(ChangedTree, ListedFileThatBecameAFolderLosesNothingOfIt) {
  for (const bool moving : {false, true}) {
    SCOPED_TRACE(mode_name(moving));
    Folders f;
    testing::write_file(f.src + "/b.txt", "b");
    const auto list = scan(f.fs, f.src);
    ASSERT_EQ(::unlink((f.src + "/b.txt").c_str()), 0);
    testing::make_dirs(f.src + "/b.txt");
    testing::write_file(f.src + "/b.txt/inside", "inside");

    ASSERT_TRUE(sort_files(f.fs, f.dst, list, moving));
    // Copying refuses a folder; moving may take the folder whole. Its file is in one place.
    const std::string at_source = testing::read_file(f.src + "/b.txt/inside");
    const std::string at_target = testing::read_file(f.dst + "/txt/b.txt/inside");
    EXPECT_TRUE((at_source == "inside") != (at_target == "inside"))
        << "source: " << at_source << ", target: " << at_target;
    if (!moving) {
      EXPECT_EQ(at_source, "inside");
    }
    EXPECT_EQ(testing::temporaries(f.dst), std::vector<std::string>{});
  }
}

// --- Destinations that cannot take the files -----------------------------------------------

struct ReadOnly {
  const char* label;
  bool whole;  // the destination and all in it, or only its existing folder "txt"
};

const ReadOnly kReadOnly[] = {
    {"Destination", true},
    {"ExtensionFolder", false},
};

struct ReadOnlyDestination : ::testing::TestWithParam<std::tuple<bool, ReadOnly>> {};

TEST_P(ReadOnlyDestination, ItemsThatCannotBeWrittenStayAndTheRestAreSorted) {
  const auto& [moving, c] = GetParam();
  Folders f;
  testing::write_file(f.src + "/a.txt", "a");
  testing::write_file(f.src + "/b.jpg", "b");
  testing::make_dirs(f.dst + "/txt");
  testing::write_file(f.dst + "/txt/a.txt", "old a");
  for (const std::string& folder : {f.dir.path(), f.src, f.dst, f.dst + "/txt"})
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  ASSERT_EQ(::chmod((f.dst + "/txt").c_str(), 0555), 0);
  if (c.whole) {
    ASSERT_EQ(::chmod(f.dst.c_str(), 0555), 0);
  }
  const std::vector<std::string> items = {f.src + "/a.txt", f.src + "/b.jpg"};
  const std::string dst = f.dst;

  EXPECT_TRUE(testing::as_unprivileged_user([&] {
    PosixFileSystem fs;
    return sort_files(fs, dst, items, moving);
  }));

  const bool jpg_writable = !c.whole;
  EXPECT_EQ(testing::read_file(f.dst + "/txt/a.txt"), "old a");
  EXPECT_EQ(testing::read_file(f.src + "/a.txt"), "a");
  EXPECT_EQ(testing::read_file(f.dst + "/jpg/b.jpg"), jpg_writable ? "b" : "<missing>");
  EXPECT_EQ(testing::read_file(f.src + "/b.jpg"), jpg_writable && moving ? "<missing>" : "b");
  EXPECT_EQ(testing::temporaries(f.dst), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadOnlyDestination,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(kReadOnly)),
                         [](const auto& info) {
                           return mode_name(std::get<0>(info.param)) +
                                  std::get<1>(info.param).label;
                         });

// A destination whose file system is full: no folder can be made, and no byte written, though
// a file may still be created empty and a rename within the file system still works.
struct FullDestination : ::testing::TestWithParam<std::tuple<bool, bool>> {};

TEST_P(FullDestination, NothingIsLostAndTheRunEnds) {
  const auto& [across, moving] = GetParam();
  testing::RunPlaces places(across);
  if (!places.reason.empty()) GTEST_SKIP() << "No second file system: " << places.reason;
  testing::SortedTree tree;
  tree.src = places.src;
  tree.dst = places.dst;
  tree.files = {
      {"a.txt", testing::distinct_bytes(100 << 10, 1), "txt/a.txt"},
      {"b.jpg", testing::distinct_bytes(3000, 2), "jpg/b.jpg"},
      {"c.gz", testing::distinct_bytes(10, 3), "gz/c.gz"},  // its folder does not exist
      {"empty.txt", "", "txt/empty.txt"},
  };
  tree.old_targets = {{"txt/a.txt", "old a"}, {"jpg/placeholder", "p"}};
  tree.write();

  PosixFileSystem real;
  testing::FaultyFileSystem fs(real);
  fs.fail(testing::Op::create_folder, 1, testing::Fault::refuse, 0, true);
  fs.fail(testing::Op::copy_file, 1, testing::Fault::writes_run_out, 0, true);
  fs.fail(testing::Op::move_file, 1, testing::Fault::writes_run_out, 0, true);
  ASSERT_TRUE(sort_files(fs, tree.dst, tree.items(), moving));
  fs.finish_moves();
  EXPECT_EQ(tree.damage(!moving, false), "");

  // Whatever had to be written stays at its source; a rename is no write.
  const bool renames = moving && !across;
  for (const auto& file : tree.files) {
    const bool has_folder = file.rel != "c.gz";
    const bool sorted = has_folder && (file.content.empty() || (renames && file.rel != "a.txt"));
    EXPECT_EQ(testing::read_file(tree.dst + "/" + file.target) == file.content, sorted) << file.rel;
  }
}

INSTANTIATE_TEST_SUITE_P(Places, FullDestination,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Across"
                                                                      : "OneFileSystem") +
                                  mode_name(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace orvane
