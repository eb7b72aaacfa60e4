// Copies and moves of the POSIX layer on real temporary folders, and whole runs over it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/file_system_posix.h"
#include "sorting/run.h"
#include "tests/fake_controls.h"
#include "tests/posix_test_support.h"
#include "window/texts.h"

namespace orvane {
namespace {

using testing::FileSizeLimit;
using testing::TempDir;

// Ends the test program with a message when an operation blocks for longer than the deadline,
// so that a blocking open shows as a failure and not as a stalled suite.
class Deadline {
 public:
  explicit Deadline(unsigned seconds) {
    std::signal(SIGALRM, [](int) {
      constexpr char kText[] = "\nA file operation blocked past its deadline\n";
      [[maybe_unused]] const auto n = ::write(2, kText, sizeof kText - 1);
      ::_exit(3);
    });
    ::alarm(seconds);
  }
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;
  ~Deadline() { ::alarm(0); }
};

// The entry at `path` itself, not what a link there points to; inode 0 when there is none.
struct stat status(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) st.st_ino = 0;
  return st;
}

bool is_regular(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folder_of(const std::string& path) {
  return path.substr(0, path.rfind('/'));
}

// Every regular file under `root` with its content.
std::map<std::string, std::string> contents_under(const std::string& root) {
  std::map<std::string, std::string> out;
  for (const std::string& rel : testing::files_under(root))
    out[rel] = testing::read_file(root + "/" + rel);
  return out;
}

// The temporaries of copies left anywhere under `root`.
std::vector<std::string> temporaries(const std::string& root) {
  std::vector<std::string> out;
  for (const std::string& rel : testing::files_under(root)) {
    const std::string name = rel.substr(rel.rfind('/') + 1);
    if (name.starts_with(PosixFileSystem::kTemporaryPrefix)) out.push_back(rel);
  }
  return out;
}

void set_mode_and_time(const std::string& path, mode_t mode, std::time_t seconds, long nanos) {
  ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
  const struct timespec times[2] = {{seconds - 1000, 0}, {seconds, nanos}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// Bytes that differ from offset to offset, so that a misplaced chunk shows.
std::string pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 4093) & 0xFF);
  return s;
}

void expect_same_metadata(const std::string& copy, const struct stat& original) {
  const struct stat st = status(copy);
  EXPECT_EQ(st.st_mode & 07777, original.st_mode & 07777) << copy;
  EXPECT_EQ(st.st_mtim.tv_sec, original.st_mtim.tv_sec) << copy;
  EXPECT_EQ(st.st_mtim.tv_nsec, original.st_mtim.tv_nsec) << copy;
}

// A folder on /dev/shm and one beside the build folder (the tests' working folder), when the two
// are on different file systems. `reason` says why not otherwise.
struct TwoFileSystems {
  std::unique_ptr<TempDir> memory, disk;
  std::string reason;
  TwoFileSystems() {
    struct stat shm, cwd;
    char here[4096];
    if (::stat("/dev/shm", &shm) != 0 || !S_ISDIR(shm.st_mode)) {
      reason = "/dev/shm does not exist on this machine";
    } else if (!::getcwd(here, sizeof here) || ::stat(here, &cwd) != 0) {
      reason = "the working folder cannot be read";
    } else if (shm.st_dev == cwd.st_dev) {
      reason = "/dev/shm is on the same file system as the build folder";
    } else {
      memory = std::make_unique<TempDir>("/dev/shm");
      disk = std::make_unique<TempDir>(here);
    }
  }
};

// --- Copy ------------------------------------------------------------------------------------

// A source file and an empty target folder beside it.
struct PosixCopy : ::testing::Test {
  TempDir dir;
  std::string from = dir / "from.dat";
  std::string to = dir / "out/to.dat";
  PosixFileSystem fs;
  void SetUp() override {
    testing::make_dirs(dir / "out");
    testing::write_file(from, "new bytes");
  }
};

// What stands at the target of a copy, and whether the copy goes ahead.
struct TargetCase {
  const char* name;
  const char* target;  // relative to the test folder
  void (*prepare)(const TempDir& dir);
  bool copies;
  // A file that must keep its content ("<missing>": must not come into being), or null.
  const char* witness;
  const char* witness_content;
};

const TargetCase kTargetCases[] = {
    {"Nothing", "out/to.dat", [](const TempDir&) {}, true, nullptr, nullptr},
    // The old file is replaced, not rewritten: a second name of it keeps the old bytes.
    {"AFile", "out/to.dat",
     [](const TempDir& d) {
       testing::write_file(d / "out/to.dat", "old");
       ASSERT_EQ(::link((d / "out/to.dat").c_str(), (d / "keep").c_str()), 0);
     },
     true, "keep", "old"},
    {"ALinkToAnotherFile", "out/to.dat",
     [](const TempDir& d) {
       testing::write_file(d / "other.dat", "other");
       ASSERT_EQ(::symlink((d / "other.dat").c_str(), (d / "out/to.dat").c_str()), 0);
     },
     true, "other.dat", "other"},
    {"ADanglingLink", "out/to.dat",
     [](const TempDir& d) {
       ASSERT_EQ(::symlink((d / "nowhere.dat").c_str(), (d / "out/to.dat").c_str()), 0);
     },
     true, "nowhere.dat", "<missing>"},
    {"ALinkToTheSource", "out/to.dat",
     [](const TempDir& d) {
       ASSERT_EQ(::symlink((d / "from.dat").c_str(), (d / "out/to.dat").c_str()), 0);
     },
     true, nullptr, nullptr},
    {"ALinkToAFolder", "out/to.dat",
     [](const TempDir& d) {
       testing::make_dirs(d / "folder");
       testing::write_file(d / "folder/inside", "inside");
       ASSERT_EQ(::symlink((d / "folder").c_str(), (d / "out/to.dat").c_str()), 0);
     },
     true, "folder/inside", "inside"},
    {"TheSourceItself", "from.dat", [](const TempDir&) {}, false, nullptr, nullptr},
    {"TheSourceByAnotherPath", "out/../from.dat", [](const TempDir&) {}, false, nullptr, nullptr},
    {"AHardLinkOfTheSource", "out/to.dat",
     [](const TempDir& d) {
       ASSERT_EQ(::link((d / "from.dat").c_str(), (d / "out/to.dat").c_str()), 0);
     },
     false, nullptr, nullptr},
    {"AFolder", "out/to.dat",
     [](const TempDir& d) {
       testing::make_dirs(d / "out/to.dat");
       testing::write_file(d / "out/to.dat/inside", "inside");
     },
     false, "out/to.dat/inside", "inside"},
};

struct PosixCopyTarget : PosixCopy, ::testing::WithParamInterface<TargetCase> {};

TEST_P(PosixCopyTarget, ReplacesWhatStandsThereUnlessItIsTheSourceOrAFolder) {
  const TargetCase& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(c.prepare(dir));
  const std::string target = dir / c.target;
  const struct stat source_before = status(from);
  const struct stat target_before = status(target);

  EXPECT_EQ(fs.copy_file(from, target), c.copies);

  EXPECT_EQ(testing::read_file(from), "new bytes");
  EXPECT_EQ(status(from).st_ino, source_before.st_ino);
  EXPECT_EQ(status(from).st_nlink, source_before.st_nlink);
  const struct stat target_after = status(target);
  if (c.copies) {
    EXPECT_TRUE(is_regular(target));
    EXPECT_EQ(testing::read_file(target), "new bytes");
    EXPECT_NE(target_after.st_ino, source_before.st_ino);
  } else {
    EXPECT_EQ(target_after.st_ino, target_before.st_ino);
    EXPECT_EQ(target_after.st_mode, target_before.st_mode);
  }
  if (c.witness) {
    EXPECT_EQ(testing::read_file(dir / c.witness), c.witness_content);
  }
  EXPECT_EQ(temporaries(dir.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Targets, PosixCopyTarget, ::testing::ValuesIn(kTargetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixCopy, WritesATemporaryInTheTargetFolderAndRenamesItOverTheTarget) {
  testing::write_file(to, "old");
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch < 0) GTEST_SKIP() << "inotify is not available to watch the target folder";
  ASSERT_GE(::inotify_add_watch(watch, (dir / "out").c_str(),
                                IN_CREATE | IN_MODIFY | IN_MOVED_FROM | IN_MOVED_TO),
            0);

  ASSERT_TRUE(fs.copy_file(from, to));

  std::vector<std::string> events;
  alignas(inotify_event) char buffer[8192];
  for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      const char* kind = (e->mask & IN_CREATE)       ? "create "
                         : (e->mask & IN_MOVED_FROM) ? "moved_from "
                         : (e->mask & IN_MOVED_TO)   ? "moved_to "
                                                     : "modify ";
      events.push_back(kind + std::string(e->len ? e->name : ""));
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
  ::close(watch);

  // Nothing but the temporary is written; the target changes only by the final rename.
  ASSERT_GE(events.size(), 3u);
  const std::string temporary = events.front().substr(std::string("create ").size());
  EXPECT_TRUE(temporary.starts_with(PosixFileSystem::kTemporaryPrefix)) << temporary;
  EXPECT_EQ(events.front(), "create " + temporary);
  for (std::size_t i = 1; i + 2 < events.size(); ++i) EXPECT_EQ(events[i], "modify " + temporary);
  EXPECT_EQ(events[events.size() - 2], "moved_from " + temporary);
  EXPECT_EQ(events.back(), "moved_to to.dat");
}

struct PosixCopyMetadata : PosixCopy, ::testing::WithParamInterface<mode_t> {};

TEST_P(PosixCopyMetadata, KeepsPermissionBitsAndModificationTime) {
  // An old target with other bits and a recent time must not lend them to the copy.
  testing::write_file(to, "old");
  ::chmod(to.c_str(), 0666);
  ASSERT_NO_FATAL_FAILURE(set_mode_and_time(from, GetParam(), 1234567890, 123456789));
  const struct stat source = status(from);

  ASSERT_TRUE(fs.copy_file(from, to));
  expect_same_metadata(to, source);
  EXPECT_EQ(testing::read_file(to), "new bytes");
}

INSTANTIATE_TEST_SUITE_P(Modes, PosixCopyMetadata,
                         ::testing::Values(0000, 0400, 0640, 0755, 04750, 02711),
                         [](const auto& info) {
                           char name[16];
                           std::snprintf(name, sizeof name, "Mode%04o", info.param);
                           return std::string(name);
                         });

struct PosixCopyContent : PosixCopy, ::testing::WithParamInterface<std::size_t> {};

TEST_P(PosixCopyContent, CopiesEveryByte) {
  const std::string bytes = pattern(GetParam());
  testing::write_file(from, bytes);
  testing::write_file(to, "an old target longer than some of the sources");
  ASSERT_TRUE(fs.copy_file(from, to));
  EXPECT_TRUE(testing::read_file(to) == bytes)
      << "sizes " << testing::read_file(to).size() << " and " << bytes.size();
}

INSTANTIATE_TEST_SUITE_P(Sizes, PosixCopyContent,
                         ::testing::Values(0, 1, (std::size_t{3} << 20) + 7),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param); });

TEST_F(PosixCopy, FileThatReportsNoSizeStillHasItsContentCopied) {
  // procfs files report a size of 0.
  const std::string expected = testing::read_file("/proc/version");
  ASSERT_NE(expected, "<missing>");
  ASSERT_FALSE(expected.empty());
  ASSERT_TRUE(fs.copy_file("/proc/version", to));
  EXPECT_EQ(testing::read_file(to), expected);
}

// Sources that are no regular file. Each copy must fail at once and touch nothing.
struct OddSource {
  const char* name;
  void (*make)(const std::string& path, const TempDir& dir);
};

const OddSource kOddSources[] = {
    {"AFifo",
     [](const std::string& p, const TempDir&) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
    {"ALinkToAFifo",
     [](const std::string& p, const TempDir& d) {
       ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0644), 0);
       ASSERT_EQ(::symlink("fifo", p.c_str()), 0);
     }},
    {"AFolder", [](const std::string& p, const TempDir&) { testing::make_dirs(p); }},
    {"ADanglingLink",
     [](const std::string& p, const TempDir&) { ASSERT_EQ(::symlink("nowhere", p.c_str()), 0); }},
    {"Nothing", [](const std::string&, const TempDir&) {}},
};

struct PosixCopyOddSource : PosixCopy, ::testing::WithParamInterface<OddSource> {};

TEST_P(PosixCopyOddSource, FailsAtOnceAndLeavesTheTarget) {
  const std::string odd = dir / "odd.dat";
  ASSERT_NO_FATAL_FAILURE(GetParam().make(odd, dir));
  testing::write_file(to, "old");
  const struct stat target_before = status(to);
  {
    Deadline deadline(20);
    EXPECT_FALSE(fs.copy_file(odd, to));
  }
  EXPECT_EQ(testing::read_file(to), "old");
  EXPECT_EQ(status(to).st_ino, target_before.st_ino);
  EXPECT_EQ(temporaries(dir.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Sources, PosixCopyOddSource, ::testing::ValuesIn(kOddSources),
                         [](const auto& info) { return std::string(info.param.name); });

// Copies that fail once their temporary exists: reading the source fails, or writing does.
struct MidCopyFailure {
  const char* name;
  const char* source;  // null: a large file of the test folder
  rlim_t file_size_limit;
};

const MidCopyFailure kMidCopyFailures[] = {
    // Reading this process's memory at offset 0 gives an I/O error.
    {"ReadingFails", "/proc/self/mem", RLIM_INFINITY},
    {"WritingFails", nullptr, 64 << 10},
};

struct PosixCopyMidway : PosixCopy, ::testing::WithParamInterface<MidCopyFailure> {};

TEST_P(PosixCopyMidway, RemovesTheTemporaryAndLeavesTheOldTarget) {
  const MidCopyFailure& c = GetParam();
  const std::string source = c.source ? c.source : from;
  if (!c.source) testing::write_file(from, pattern(std::size_t{1} << 20));
  testing::write_file(to, "old");
  bool copied = true;
  {
    FileSizeLimit limit(c.file_size_limit);
    copied = fs.copy_file(source, to);
  }
  EXPECT_FALSE(copied);
  EXPECT_EQ(testing::read_file(to), "old");
  EXPECT_EQ(testing::files_under(dir / "out"), std::vector<std::string>{"to.dat"});
}

INSTANTIATE_TEST_SUITE_P(Failures, PosixCopyMidway, ::testing::ValuesIn(kMidCopyFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// Copies by a user to whom permission bits apply.
struct Permissions {
  const char* name;
  mode_t source_mode;
  mode_t target_folder_mode;
  bool copies;
};

const Permissions kPermissions[] = {
    {"Allowed", 0644, 0777, true},
    {"SourceUnreadable", 0000, 0777, false},
    {"TargetFolderReadOnly", 0644, 0555, false},
};

struct PosixCopyPermissions : PosixCopy, ::testing::WithParamInterface<Permissions> {};

TEST_P(PosixCopyPermissions, FailsCleanlyWhereTheUserMayNotReadOrWrite) {
  const Permissions& c = GetParam();
  testing::write_file(to, "old");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(from.c_str(), c.source_mode), 0);
  ASSERT_EQ(::chmod(to.c_str(), 0644), 0);
  ASSERT_EQ(::chmod((dir / "out").c_str(), c.target_folder_mode), 0);
  const std::string source = from, target = to;

  // The child answers whether the copy did what was expected, so that a child that could not
  // change its user does not pass for a failed copy.
  EXPECT_TRUE(testing::as_unprivileged_user([&] {
    PosixFileSystem user_fs;
    return user_fs.copy_file(source, target) == c.copies;
  }));
  EXPECT_EQ(testing::read_file(to), c.copies ? "new bytes" : "old");
  EXPECT_EQ(temporaries(dir.path()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Users, PosixCopyPermissions, ::testing::ValuesIn(kPermissions),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Create folder -----------------------------------------------------------------------------

TEST(PosixCreateFolder, MakesOneFolderWhoseParentExists) {
  TempDir dir;
  testing::make_dirs(dir / "existing");
  testing::write_file(dir / "file", "f");
  PosixFileSystem fs;
  EXPECT_TRUE(fs.create_folder(dir / "new"));
  struct stat st;
  ASSERT_EQ(::stat((dir / "new").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_FALSE(fs.create_folder(dir / "existing"));
  EXPECT_FALSE(fs.create_folder(dir / "file"));
  EXPECT_EQ(testing::read_file(dir / "file"), "f");
  EXPECT_FALSE(fs.create_folder(dir / "missing/child"));
  EXPECT_FALSE(testing::exists(dir / "missing"));
}

// --- Move --------------------------------------------------------------------------------------

struct PosixMove : ::testing::Test {
  TempDir dir;
  std::string from = dir / "from.dat";
  std::string to = dir / "out/to.dat";
  PosixFileSystem fs;
  void SetUp() override {
    testing::make_dirs(dir / "out");
    testing::write_file(from, "moved bytes");
  }
};

TEST_F(PosixMove, FreeTargetIsARenameDoneAtOnce) {
  const ino_t inode = status(from).st_ino;
  ASSERT_TRUE(fs.move_file(from, to));
  EXPECT_FALSE(testing::exists(from));
  EXPECT_EQ(status(to).st_ino, inode);
  EXPECT_EQ(testing::read_file(to), "moved bytes");
}

TEST_F(PosixMove, StandingTargetIsReplacedByACopyAndTheSourceGoesAtTheEnd) {
  testing::write_file(to, "old");
  ASSERT_TRUE(fs.move_file(from, to));
  // Not renamed over the target: the source is still there, the target is a copy.
  EXPECT_EQ(testing::read_file(from), "moved bytes");
  EXPECT_EQ(testing::read_file(to), "moved bytes");
  EXPECT_NE(status(to).st_ino, status(from).st_ino);
  fs.finish_moves();
  EXPECT_FALSE(testing::exists(from));
  EXPECT_EQ(testing::read_file(to), "moved bytes");
  EXPECT_EQ(temporaries(dir.path()), std::vector<std::string>{});
}

// What becomes of a source between its copy and the end of the moves.
struct SourceChange {
  const char* name;
  void (*change)(const std::string& source, const TempDir& dir);
  bool removed;
};

const SourceChange kSourceChanges[] = {
    {"Unchanged", [](const std::string&, const TempDir&) {}, true},
    {"ReplacedByAnotherFile",
     [](const std::string& s, const TempDir& d) {
       testing::write_file(d / "fresh", "fresh");
       ASSERT_EQ(::rename((d / "fresh").c_str(), s.c_str()), 0);
     },
     false},
    {"ReplacedByALink",
     [](const std::string& s, const TempDir& d) {
       ASSERT_EQ(::symlink((d / "out/to.dat").c_str(), (d / "link").c_str()), 0);
       ASSERT_EQ(::rename((d / "link").c_str(), s.c_str()), 0);
     },
     false},
};

struct PosixMoveSourceChange : PosixMove, ::testing::WithParamInterface<SourceChange> {};

TEST_P(PosixMoveSourceChange, SourceIsRemovedOnlyWhileItIsTheFileThatWasCopied) {
  testing::write_file(to, "old");
  ASSERT_TRUE(fs.move_file(from, to));
  ASSERT_NO_FATAL_FAILURE(GetParam().change(from, dir));
  const struct stat before = status(from);
  fs.finish_moves();
  if (GetParam().removed) {
    EXPECT_FALSE(testing::exists(from));
  } else {
    ASSERT_TRUE(testing::exists(from));
    EXPECT_EQ(status(from).st_ino, before.st_ino);
  }
  EXPECT_EQ(testing::read_file(to), "moved bytes");
}

INSTANTIATE_TEST_SUITE_P(Changes, PosixMoveSourceChange, ::testing::ValuesIn(kSourceChanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Moves that cannot be made. Neither the source nor the target may change, now or at the end.
struct FailedMove {
  const char* name;
  const char* target;  // relative to the test folder
  void (*prepare)(const TempDir& dir);
};

const FailedMove kFailedMoves[] = {
    {"TargetIsTheSource", "from.dat", [](const TempDir&) {}},
    {"TargetIsTheSourceByAnotherPath", "out/../from.dat", [](const TempDir&) {}},
    {"TargetIsAHardLinkOfTheSource", "out/to.dat",
     [](const TempDir& d) {
       ASSERT_EQ(::link((d / "from.dat").c_str(), (d / "out/to.dat").c_str()), 0);
     }},
    {"TargetIsAFolder", "out/to.dat",
     [](const TempDir& d) {
       testing::make_dirs(d / "out/to.dat");
       testing::write_file(d / "out/to.dat/inside", "inside");
     }},
    {"TargetFolderIsMissing", "none/to.dat", [](const TempDir&) {}},
    {"TargetFolderIsAFile", "plain/to.dat",
     [](const TempDir& d) { testing::write_file(d / "plain", "plain"); }},
    {"SourceIsMissing", "out/to.dat",
     [](const TempDir& d) { ASSERT_EQ(::unlink((d / "from.dat").c_str()), 0); }},
};

struct PosixMoveFailure : PosixMove, ::testing::WithParamInterface<FailedMove> {};

TEST_P(PosixMoveFailure, FailsAndChangesNothing) {
  ASSERT_NO_FATAL_FAILURE(GetParam().prepare(dir));
  const auto before = contents_under(dir.path());
  const struct stat source_before = status(from);
  EXPECT_FALSE(fs.move_file(from, dir / GetParam().target));
  fs.finish_moves();
  EXPECT_EQ(contents_under(dir.path()), before);
  EXPECT_EQ(status(from).st_ino, source_before.st_ino);
  EXPECT_EQ(status(from).st_nlink, source_before.st_nlink);
}

INSTANTIATE_TEST_SUITE_P(Failures, PosixMoveFailure, ::testing::ValuesIn(kFailedMoves),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixMove, SourcesOfAFullBatchAreRemovedWithoutWaitingForTheEnd) {
  const std::size_t n = PosixFileSystem::kBatchFiles;
  testing::make_dirs(dir / "src");
  for (std::size_t i = 0; i < n; ++i) {
    testing::write_file(dir / ("src/" + std::to_string(i)), "s");
    testing::write_file(dir / ("out/" + std::to_string(i)), "old");
  }
  for (std::size_t i = 0; i + 1 < n; ++i)
    ASSERT_TRUE(
        fs.move_file(dir / ("src/" + std::to_string(i)), dir / ("out/" + std::to_string(i))));
  EXPECT_EQ(testing::files_under(dir / "src").size(), n);
  ASSERT_TRUE(
      fs.move_file(dir / ("src/" + std::to_string(n - 1)), dir / ("out/" + std::to_string(n - 1))));
  EXPECT_EQ(testing::files_under(dir / "src"), std::vector<std::string>{});
  EXPECT_EQ(contents_under(dir / "out").size(), n);
}

struct PosixMoveAcross : ::testing::Test {
  TwoFileSystems places;
  PosixFileSystem fs;
  void SetUp() override {
    if (!places.reason.empty()) GTEST_SKIP() << "No second file system: " << places.reason;
  }
};

TEST_F(PosixMoveAcross, CopiesThenRemovesTheSourceOnlyWhenTheMovesFinish) {
  const TempDir& from = *places.memory;
  const TempDir& to = *places.disk;
  const std::string big = pattern((std::size_t{2} << 20) + 3);
  testing::write_file(from / "small.txt", "small");
  testing::write_file(from / "big.bin", big);
  ASSERT_NO_FATAL_FAILURE(set_mode_and_time(from / "small.txt", 0640, 1500000000, 42));
  ASSERT_NO_FATAL_FAILURE(set_mode_and_time(from / "big.bin", 0755, 1600000000, 999999999));
  const struct stat small_source = status(from / "small.txt");
  const struct stat big_source = status(from / "big.bin");

  ASSERT_TRUE(fs.move_file(from / "small.txt", to / "small.txt"));
  ASSERT_TRUE(fs.move_file(from / "big.bin", to / "big.bin"));
  EXPECT_EQ(testing::read_file(from / "small.txt"), "small");
  EXPECT_TRUE(testing::read_file(from / "big.bin") == big);

  fs.finish_moves();
  EXPECT_FALSE(testing::exists(from / "small.txt"));
  EXPECT_FALSE(testing::exists(from / "big.bin"));
  EXPECT_EQ(testing::read_file(to / "small.txt"), "small");
  EXPECT_TRUE(testing::read_file(to / "big.bin") == big);
  expect_same_metadata(to / "small.txt", small_source);
  expect_same_metadata(to / "big.bin", big_source);
  EXPECT_EQ(temporaries(to.path()), std::vector<std::string>{});
}

TEST_F(PosixMoveAcross, FifoReachedThroughALinkFailsAtOnce) {
  const TempDir& from = *places.memory;
  ASSERT_EQ(::mkfifo((from / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("fifo", (from / "pipe").c_str()), 0);
  {
    Deadline deadline(20);
    EXPECT_FALSE(fs.move_file(from / "pipe", *places.disk / "pipe"));
    fs.finish_moves();
  }
  EXPECT_TRUE(testing::exists(from / "pipe"));
  EXPECT_TRUE(S_ISFIFO(status(from / "fifo").st_mode));
  EXPECT_FALSE(testing::exists(*places.disk / "pipe"));
  EXPECT_EQ(temporaries(places.disk->path()), std::vector<std::string>{});
}

// --- Runs ------------------------------------------------------------------------------------

enum class Mode { kCopy, kMove };

std::string mode_name(Mode m) {
  return m == Mode::kCopy ? "Copy" : "Move";
}

// Runs the sorting over the real file system as the start button does and checks that the run
// went to its end: the bar at the item count, the closing message shown, no temporary left.
void sort_files(FileSystem& fs, testing::FakeControls& ui, const std::string& destination,
                std::vector<std::string> items, Mode mode, const std::string& watched_root) {
  ui.captions[控件::标签2] = destination;
  ui.items = std::move(items);
  ui.tick = mode == Mode::kMove ? 1 : 0;
  {
    Deadline deadline(60);
    分类文件(ui, fs);
  }
  EXPECT_EQ(ui.bar.position(), static_cast<int>(ui.items.size()));
  EXPECT_EQ(ui.messages, std::vector<std::string>{native_text(kMessageDone)});
  EXPECT_EQ(temporaries(watched_root), std::vector<std::string>{});
}

// A source folder and a destination folder.
struct RunFolders : ::testing::Test {
  TempDir dir;
  std::string src = dir / "src";
  std::string dst = dir / "dst";
  PosixFileSystem fs;
  testing::FakeControls ui;
  void SetUp() override {
    testing::make_dirs(src);
    testing::make_dirs(dst);
  }
  // Writes a file under the source folder and gives its path.
  std::string put(const std::string& rel, const std::string& content) {
    const std::string path = src + "/" + rel;
    testing::make_dirs(folder_of(path));
    testing::write_file(path, content);
    return path;
  }
  void run(Mode mode, const std::string& destination, std::vector<std::string> items) {
    sort_files(fs, ui, destination, std::move(items), mode, dir.path());
  }
};

using Files = std::map<std::string, std::string>;

struct PosixRun : RunFolders, ::testing::WithParamInterface<Mode> {
  bool moving() const { return GetParam() == Mode::kMove; }
  void run(const std::string& destination, std::vector<std::string> items) {
    RunFolders::run(GetParam(), destination, std::move(items));
  }
};

TEST_P(PosixRun, EachFileGoesToTheFolderOfItsExtension) {
  const Files sources = {{"README", "r"},   {"notes.", "n"},         {"photo.JPG", "J"},
                         {"shot.jpg", "j"}, {"archive.tar.gz", "z"}, {"deep/er/c.txt", "c"}};
  std::vector<std::string> items;
  for (const auto& [rel, content] : sources) items.push_back(put(rel, content));
  run(dst, items);
  EXPECT_EQ(contents_under(dst), (Files{{"README", "r"},
                                        {"notes.", "n"},
                                        {"JPG/photo.JPG", "J"},
                                        {"jpg/shot.jpg", "j"},
                                        {"gz/archive.tar.gz", "z"},
                                        {"txt/c.txt", "c"}}));
  EXPECT_EQ(contents_under(src), moving() ? Files{} : sources);
}

TEST_P(PosixRun, SameNameFromTwoFoldersLosesNothingWhenMoving) {
  const auto first = put("x/a.jpg", "first");
  const auto second = put("y/a.jpg", "second");
  run(dst, {first, second});
  if (moving()) {
    // The second may not replace what the first move put there: it stays where it was.
    EXPECT_EQ(contents_under(dst), (Files{{"jpg/a.jpg", "first"}}));
    EXPECT_EQ(contents_under(src), (Files{{"y/a.jpg", "second"}}));
  } else {
    EXPECT_EQ(contents_under(dst), (Files{{"jpg/a.jpg", "second"}}));
    EXPECT_EQ(contents_under(src), (Files{{"x/a.jpg", "first"}, {"y/a.jpg", "second"}}));
  }
}

TEST_P(PosixRun, FileStandingAtTheTargetBeforeTheRunIsReplaced) {
  testing::make_dirs(dst + "/jpg");
  testing::write_file(dst + "/jpg/a.jpg", "old");
  testing::write_file(dst + "/README", "old readme");
  const std::vector<std::string> items = {put("a.jpg", "new"), put("README", "new readme")};
  run(dst, items);
  EXPECT_EQ(contents_under(dst), (Files{{"jpg/a.jpg", "new"}, {"README", "new readme"}}));
  const Files kept = moving() ? Files{} : Files{{"a.jpg", "new"}, {"README", "new readme"}};
  EXPECT_EQ(contents_under(src), kept);
}

TEST_P(PosixRun, DestinationThatIsTheSourceFolder) {
  const std::vector<std::string> items = {put("a.jpg", "a"), put("README", "r"),
                                          put("sub/b.txt", "b")};
  run(src, items);
  // README's target is README itself: it stays as it is.
  if (moving()) {
    EXPECT_EQ(contents_under(src),
              (Files{{"README", "r"}, {"jpg/a.jpg", "a"}, {"txt/b.txt", "b"}}));
  } else {
    EXPECT_EQ(contents_under(src), (Files{{"README", "r"},
                                          {"a.jpg", "a"},
                                          {"sub/b.txt", "b"},
                                          {"jpg/a.jpg", "a"},
                                          {"txt/b.txt", "b"}}));
  }
}

TEST_P(PosixRun, FileBearingAnExtensionFolderNameFailsItsItemsAndTheRestGoOn) {
  testing::write_file(dst + "/jpg", "blocker");
  const std::vector<std::string> items = {put("a.jpg", "a"), put("b.txt", "b"), put("c.jpg", "c")};
  run(dst, items);
  EXPECT_EQ(contents_under(dst), (Files{{"jpg", "blocker"}, {"txt/b.txt", "b"}}));
  const Files kept = moving() ? Files{{"a.jpg", "a"}, {"c.jpg", "c"}}
                              : Files{{"a.jpg", "a"}, {"b.txt", "b"}, {"c.jpg", "c"}};
  EXPECT_EQ(contents_under(src), kept);
}

TEST_P(PosixRun, DestinationRemovedAfterItWasChosenFailsEveryItemAndTheRunEnds) {
  // Every item has an extension: the folder of one without is the destination itself, which
  // the run would make again.
  const std::vector<std::string> items = {put("a.jpg", "a"), put("b.txt", "b"),
                                          put("c.tar.gz", "c")};
  ASSERT_EQ(::rmdir(dst.c_str()), 0);
  run(dst, items);
  EXPECT_FALSE(testing::exists(dst));
  EXPECT_EQ(contents_under(src), (Files{{"a.jpg", "a"}, {"b.txt", "b"}, {"c.tar.gz", "c"}}));
}

TEST_P(PosixRun, FifoReachedThroughALinkDoesNotStallTheRun) {
  ASSERT_EQ(::mkfifo((src + "/fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("fifo", (src + "/pipe.dat").c_str()), 0);
  const std::vector<std::string> items = {src + "/pipe.dat", put("a.txt", "a")};
  run(dst, items);
  EXPECT_TRUE(S_ISFIFO(status(src + "/fifo").st_mode));
  EXPECT_EQ(contents_under(dst), (Files{{"txt/a.txt", "a"}}));
}

INSTANTIATE_TEST_SUITE_P(Modes, PosixRun, ::testing::Values(Mode::kCopy, Mode::kMove),
                         [](const auto& info) { return mode_name(info.param); });

// Targets that are the item itself under another name: the run must leave everything as it is.
struct SameFile {
  const char* name;
  // Makes the item and what stands at its target; gives the item and the destination.
  void (*make)(const RunFolders& f, std::string& item, std::string& destination);
};

const SameFile kSameFiles[] = {
    {"TheItemInItsExtensionFolder",
     [](const RunFolders& f, std::string& item, std::string& destination) {
       testing::make_dirs(f.dst + "/jpg");
       item = f.dst + "/jpg/a.jpg";
       testing::write_file(item, "mine");
       destination = f.dst;
     }},
    {"AHardLinkOfTheItem",
     [](const RunFolders& f, std::string& item, std::string& destination) {
       item = f.src + "/a.jpg";
       testing::write_file(item, "mine");
       testing::make_dirs(f.dst + "/jpg");
       ASSERT_EQ(::link(item.c_str(), (f.dst + "/jpg/a.jpg").c_str()), 0);
       destination = f.dst;
     }},
};

struct PosixRunSameFile : RunFolders, ::testing::WithParamInterface<std::tuple<Mode, SameFile>> {};

TEST_P(PosixRunSameFile, TargetThatIsTheItemIsLeftUnchanged) {
  const auto& [mode, c] = GetParam();
  std::string item, destination;
  ASSERT_NO_FATAL_FAILURE(c.make(*this, item, destination));
  const auto before = contents_under(dir.path());
  const struct stat item_before = status(item);
  run(mode, destination, {item});
  EXPECT_EQ(contents_under(dir.path()), before);
  EXPECT_EQ(status(item).st_ino, item_before.st_ino);
  EXPECT_EQ(status(item).st_nlink, item_before.st_nlink);
  EXPECT_EQ(status(destination + "/jpg/a.jpg").st_ino, item_before.st_ino);
}

INSTANTIATE_TEST_SUITE_P(Cases, PosixRunSameFile,
                         ::testing::Combine(::testing::Values(Mode::kCopy, Mode::kMove),
                                            ::testing::ValuesIn(kSameFiles)),
                         [](const auto& info) {
                           return mode_name(std::get<0>(info.param)) + std::get<1>(info.param).name;
                         });

// A run from a folder on /dev/shm into one beside the build folder.
struct PosixRunAcross : ::testing::TestWithParam<Mode> {
  TwoFileSystems places;
  PosixFileSystem fs;
  testing::FakeControls ui;
  void SetUp() override {
    if (!places.reason.empty()) GTEST_SKIP() << "No second file system: " << places.reason;
  }
};

TEST_P(PosixRunAcross, KeepsContentPermissionBitsAndModificationTime) {
  const TempDir& src = *places.memory;
  const TempDir& dst = *places.disk;
  struct Item {
    std::string rel, content;
    mode_t mode;
    std::time_t mtime;
    std::string sorted;
  };
  const std::vector<Item> files = {
      {"a.jpg", "a", 0640, 1400000000, "jpg/a.jpg"},
      {"sub/big.bin", pattern((std::size_t{1} << 20) + 11), 0755, 1500000000, "bin/big.bin"},
      {"README", "r", 0600, 1600000000, "README"},
  };
  std::vector<std::string> items;
  std::map<std::string, struct stat> originals;
  Files expected, sources;
  for (const Item& f : files) {
    const std::string path = src / f.rel;
    testing::make_dirs(folder_of(path));
    testing::write_file(path, f.content);
    ASSERT_NO_FATAL_FAILURE(set_mode_and_time(path, f.mode, f.mtime, 250000000));
    items.push_back(path);
    originals[f.sorted] = status(path);
    expected[f.sorted] = f.content;
    sources[f.rel] = f.content;
  }

  sort_files(fs, ui, dst.path(), items, GetParam(), dst.path());

  EXPECT_TRUE(contents_under(dst.path()) == expected);
  for (const auto& [sorted, original] : originals) expect_same_metadata(dst / sorted, original);
  EXPECT_TRUE(contents_under(src.path()) == (GetParam() == Mode::kMove ? Files{} : sources));
}

INSTANTIATE_TEST_SUITE_P(Modes, PosixRunAcross, ::testing::Values(Mode::kCopy, Mode::kMove),
                         [](const auto& info) { return mode_name(info.param); });

}  // namespace
}  // namespace orvane
