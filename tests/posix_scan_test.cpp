#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "platform/file_system_posix.h"
#include "sorting/entry_search.h"
#include "sorting/scan.h"
#include "tests/posix_test_support.h"
#include "tests/scan_support.h"

namespace orvane {
namespace {

using testing::TempDir;

using testing::scan;

void make_socket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof(addr.sun_path));
  path.copy(addr.sun_path, path.size());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
  ::close(fd);
}

// A tree with every kind of entry the layer maps.
struct Tree : ::testing::Test {
  TempDir dir;
  std::string src = dir / "src";
  void SetUp() override {
    testing::make_dirs(src + "/.hidden_dir/sub");
    testing::write_file(src + "/plain.txt", "p");
    testing::write_file(src + "/.hidden", "h");
    testing::write_file(src + "/.hidden_dir/sub/deep.c", "d");
    ::chmod((src + "/plain.txt").c_str(), 0444);
    ASSERT_EQ(::mkfifo((src + "/fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("fifo", (src + "/fifo-link").c_str()), 0);
    make_socket(src + "/sock");
    ASSERT_EQ(::symlink("nowhere", (src + "/dangling").c_str()), 0);
    ASSERT_EQ(::symlink("plain.txt", (src + "/file-link").c_str()), 0);
  }
};

TEST_F(Tree, AttributeWordsDeliveredWithTheEntries) {
  PosixFileSystem fs;
  SearchHandle h;
  std::map<std::string, std::uint32_t> words;
  for (std::string name = search_start(fs, fs.child(src, "*.*"), 0xFFFFFFFF, h); !name.empty();
       name = search_next(0xFFFFFFFF, h))
    words[name] = h.attributes;
  const std::map<std::string, std::uint32_t> expected = {
      {".", 0x12},           {"..", 0x12},         {"plain.txt", 0x20},  {".hidden", 0x22},
      {".hidden_dir", 0x12}, {"fifo", 0x40},       {"fifo-link", 0x420}, {"sock", 0x40},
      {"dangling", 0x420},   {"file-link", 0x420},
  };
  EXPECT_EQ(words, expected);
}

TEST_F(Tree, ListsFilesHiddenOrNotAndNothingElse) {
  PosixFileSystem fs;
  std::vector<std::string> got = scan(fs, src);
  // The link to a FIFO names no folder: it is listed and the run decides what it can do with it.
  const std::vector<std::string> expected = {src + "/.hidden", src + "/.hidden_dir/sub/deep.c",
                                             src + "/fifo-link", src + "/file-link",
                                             src + "/plain.txt"};
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, expected);
}

TEST_F(Tree, AnsweringFromTheEntryGivesWhatStatGives) {
  // Delivered regular files and folders answer the attribute query without a stat; the answer
  // must be the one stat gives, for every kind of entry.
  PosixFileSystem fs;
  SearchHandle h;
  int compared = 0;
  for (std::string name = search_start(fs, fs.child(src, "*.*"), 0x37, h); !name.empty();
       name = search_next(0x37, h)) {
    const std::string path = fs.child(src, name);
    EXPECT_EQ(fs.attributes(path), PosixFileSystem::stat_attributes(path)) << name;
    ++compared;
  }
  EXPECT_EQ(compared, 8);
  EXPECT_EQ(PosixFileSystem::stat_attributes(src + "/dangling"), attr::kInvalid);
  EXPECT_EQ(PosixFileSystem::stat_attributes(src + "/" + std::string(5000, 'x')), attr::kInvalid);
}

TEST(PosixScan, LinkLoopsEndAndEachFileIsListedOnceUnderItsRealPath) {
  TempDir dir;
  const std::string src = dir / "src";
  testing::make_dirs(src + "/a/b");
  testing::make_dirs(dir / "elsewhere");
  testing::write_file(src + "/top.txt", "");
  testing::write_file(src + "/a/b/deep.txt", "");
  testing::write_file(dir / "elsewhere/out.txt", "");
  ASSERT_EQ(::symlink(".", (src + "/dot").c_str()), 0);
  ASSERT_EQ(::symlink("..", (src + "/a/up").c_str()), 0);
  ASSERT_EQ(::symlink("../a", (src + "/a/b/loop").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (src + "/a/ext").c_str()), 0);
  PosixFileSystem fs;
  std::vector<std::string> got = scan(fs, src);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::string>{src + "/a/b/deep.txt", src + "/a/ext/out.txt",
                                           src + "/top.txt"}));
}

TEST(PosixScan, NamesKeepTheirExactBytes) {
  TempDir dir;
  const std::string names[] = {"caf\xe9.txt", "\xff\xfe",  "\xe4\xb8\xad\xe6\x96\x87.doc",
                               "back\\slash", "new\nline", "-leading"};
  for (const auto& n : names) testing::write_file(dir / n, "");
  PosixFileSystem fs;
  std::vector<std::string> got = scan(fs, dir.path());
  std::vector<std::string> expected;
  for (const auto& n : names) expected.push_back(dir / n);
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(got, expected);
}

TEST(PosixScan, UnreadableFolderIsSkippedAndItsSiblingsListed) {
  TempDir dir;
  testing::make_dirs(dir / "a_locked");
  testing::make_dirs(dir / "b_open");
  testing::write_file(dir / "a_locked/secret", "");
  testing::write_file(dir / "b_open/visible", "");
  ::chmod(dir.path().c_str(), 0755);
  ::chmod((dir / "a_locked").c_str(), 0);
  const std::string root = dir.path();
  EXPECT_TRUE(testing::as_unprivileged_user([&] {
    PosixFileSystem fs;
    return scan(fs, root) == std::vector<std::string>{root + "/b_open/visible"};
  }));
}

TEST(PosixScan, RootFolderGivesSingleSeparators) {
  PosixFileSystem fs;
  EXPECT_EQ(fs.child("/", "etc"), "/etc");
  EXPECT_EQ(fs.child("/home", "u"), "/home/u");
  EXPECT_EQ(fs.source_folder_form("/"), "/");
  EXPECT_EQ(fs.source_folder_form("/ab"), "/ab");
  SearchHandle h;
  bool saw_etc = false;
  for (std::string n = search_start(fs, fs.child("/", "*.*"), 0x37, h); !n.empty();
       n = search_next(0x37, h))
    saw_etc |= n == "etc" && (fs.attributes(fs.child("/", n)) & attr::kDirectory);
  EXPECT_TRUE(saw_etc);
}

}  // namespace
}  // namespace orvane
