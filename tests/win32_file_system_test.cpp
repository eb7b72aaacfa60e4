// The Win32 file-system layer under the Chinese ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "platform/file_system_win32.h"
#include "sorting/run.h"
#include "sorting/scan.h"
#include "tests/extension_cases.h"
#include "tests/fake_controls.h"
#include "tests/scan_support.h"
#include "tests/win32_test_support.h"

namespace orvane {
namespace {

using testing::Win32TempDir;

// "乗" in GBK: its second byte is the byte of "\".
const std::string kBackslashTrail = "\x81\x5C";

using testing::scan;

TEST(Win32Layer, TheAnsiCodePageIsGbk) {
  EXPECT_EQ(::GetACP(), 936u);
}

TEST(Win32Layer, ExtensionsAreTheSystemsOwnAndMatchTheSharedTable) {
  Win32FileSystem fs;
  for (const auto& c : testing::kExtensionCases) {
    std::string item(c.item);
    std::replace(item.begin(), item.end(), '/', '\\');
    EXPECT_EQ(item.substr(fs.extension_start(item)), c.extension) << item;
  }
  const std::string gbk = "D:\\in\\a.b" + kBackslashTrail + "c";
  EXPECT_EQ(gbk.substr(fs.extension_start(gbk)), ".b" + kBackslashTrail + "c");
}

TEST(Win32Layer, MissingLibraryFunctionsAreReportedByName) {
  static std::string reported;
  const MissingFunction record = [](const char* library, const char* function) {
    reported = std::string(library) + ":" + function;
  };
  EXPECT_EQ(bind_function("no-such-library.dll", "PathFindExtensionA", record), nullptr);
  EXPECT_EQ(reported, "no-such-library.dll:PathFindExtensionA");
  EXPECT_EQ(bind_function("shlwapi.dll", "NoSuchFunction", record), nullptr);
  EXPECT_EQ(reported, "shlwapi.dll:NoSuchFunction");
  EXPECT_NE(bind_function("shlwapi.dll", "PathFindExtensionA", record), nullptr);
}

TEST(Win32Layer, EntryFilterFollowsTheAttributesTheSystemReports) {
  Win32TempDir dir;
  struct Case {
    const char* name;
    DWORD attributes;
  };
  const Case cases[] = {
      {"normal.txt", FILE_ATTRIBUTE_NORMAL},     {"archive.txt", FILE_ATTRIBUTE_ARCHIVE},
      {"hidden.txt", FILE_ATTRIBUTE_HIDDEN},     {"system.txt", FILE_ATTRIBUTE_SYSTEM},
      {"readonly.txt", FILE_ATTRIBUTE_READONLY}, {"temporary.txt", FILE_ATTRIBUTE_TEMPORARY},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    const std::string path = dir / c.name;
    ASSERT_TRUE(testing::write_file(path, "x"));
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.attributes));
    WIN32_FIND_DATAA found;
    const HANDLE h = ::FindFirstFileA(path.c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::FindClose(h);
    // A file is listed exactly when the word the search delivers has a bit of 0x37. Wine keeps
    // no archive bit and reports every file as archived, so there 0x80 alone never occurs.
    if (found.dwFileAttributes & 0x37) expected.push_back(path);
    if (c.attributes & 0x37) {
      EXPECT_TRUE(found.dwFileAttributes & c.attributes) << c.name;
    }
  }
  Win32FileSystem fs;
  std::vector<std::string> got = scan(fs, dir.path());
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(got, expected);
  EXPECT_GE(got.size(), 4u);
}

TEST(Win32Layer, GbkNamesWithABackslashTrailByteAreListedAndSortedWhole) {
  Win32TempDir src, dst;
  const std::string folder = src / (kBackslashTrail + kBackslashTrail);
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string item = folder + "\\" + kBackslashTrail + ".txt";
  ASSERT_TRUE(testing::write_file(item, "gbk"));
  Win32FileSystem fs;
  ASSERT_EQ(scan(fs, src.path()), std::vector<std::string>{item});

  orvane::testing::FakeControls ui;
  ui.captions[控件::标签2] = dst.path();
  ui.items = {item};
  分类文件(ui, fs);
  EXPECT_EQ(testing::read_file(dst / ("txt\\" + kBackslashTrail + ".txt")), "gbk");
}

TEST(Win32Layer, APathPastMaxPathIsMissingFromTheList) {
  Win32TempDir dir;
  ASSERT_TRUE(testing::write_file(dir / "short.txt", ""));
  // Build the long path with the wide calls, which are not limited to MAX_PATH.
  std::wstring wide = L"\\\\?\\";
  for (char c : dir.path()) wide += static_cast<wchar_t>(c);
  std::vector<std::wstring> levels;
  for (int i = 0; i < 6; ++i) {
    wide += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
    ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr));
    levels.push_back(wide);
  }
  const std::wstring deep = wide + L"\\deep.txt";
  HANDLE h = ::CreateFileW(deep.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_ARCHIVE, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ::CloseHandle(h);
  Win32FileSystem fs;
  EXPECT_EQ(scan(fs, dir.path()), std::vector<std::string>{dir / "short.txt"});
  // The ANSI calls cannot remove what lies past the limit.
  ::DeleteFileW(deep.c_str());
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) ::RemoveDirectoryW(it->c_str());
}

TEST(Win32Layer, FolderLinksBackIntoTheLineOfDescentAreNotDescendedAgain) {
  const char* tree = std::getenv("ORVANE_LINK_TREE");
  if (!tree) GTEST_SKIP() << "ORVANE_LINK_TREE names no tree of folder links";
  std::string root = tree;
  std::replace(root.begin(), root.end(), '/', '\\');
  Win32FileSystem fs;
  std::vector<std::string> got = scan(fs, root);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::string>{root + "\\a\\x.txt", root + "\\ext\\out.txt",
                                           root + "\\top.txt"}));
}

TEST(Win32Layer, MovesNeverReplaceAFileTheRunMovedEvenInAnotherCase) {
  Win32TempDir src, dst;
  ::CreateDirectoryA((src / "x").c_str(), nullptr);
  ::CreateDirectoryA((src / "y").c_str(), nullptr);
  ASSERT_TRUE(testing::write_file(src / "x\\a.jpg", "first"));
  ASSERT_TRUE(testing::write_file(src / "y\\A.JPG", "second"));
  Win32FileSystem fs;
  orvane::testing::FakeControls ui;
  ui.captions[控件::标签2] = dst.path();
  ui.items = {src / "x\\a.jpg", src / "y\\A.JPG"};
  ui.tick = 1;
  分类文件(ui, fs);
  EXPECT_EQ(testing::read_file(dst / "jpg\\a.jpg"), "first");
  EXPECT_FALSE(testing::exists(src / "x\\a.jpg"));
  EXPECT_EQ(testing::read_file(src / "y\\A.JPG"), "second");
}

TEST(Win32Layer, CopyOntoTheItemItselfOrAHardLinkChangesNothing) {
  Win32TempDir dir;
  ::CreateDirectoryA((dir / "txt").c_str(), nullptr);
  ASSERT_TRUE(testing::write_file(dir / "txt\\a.txt", "only copy"));
  ASSERT_TRUE(::CreateHardLinkA((dir / "b.txt").c_str(), (dir / "txt\\a.txt").c_str(), nullptr));
  Win32FileSystem fs;
  EXPECT_FALSE(fs.copy_file(dir / "txt\\a.txt", dir / "txt\\a.txt"));
  EXPECT_FALSE(fs.copy_file(dir / "b.txt", dir / "txt\\a.txt"));
  // Moving one name of a file onto another of its names loses neither.
  fs.move_file(dir / "b.txt", dir / "txt\\a.txt");
  EXPECT_EQ(testing::read_file(dir / "txt\\a.txt"), "only copy");
  EXPECT_EQ(testing::read_file(dir / "b.txt"), "only copy");
}

}  // namespace
}  // namespace orvane
