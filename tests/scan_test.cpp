#include <gtest/gtest.h>

#include "sorting/scan.h"
#include "tests/fake_controls.h"
#include "tests/fake_file_system.h"
#include "tests/scan_support.h"

namespace orvane {
namespace {

using testing::FakeFileSystem;

using testing::scan;

// D:\in delivers ".", "..", b.txt, sub1, a.doc, sub2; sub2 holds deep.
FakeFileSystem example_tree() {
  FakeFileSystem fs;
  fs.folder("D:", false);
  fs.folder("D:\\in");
  fs.file("D:\\in\\b.txt");
  fs.folder("D:\\in\\sub1");
  fs.file("D:\\in\\sub1\\x.jpg");
  fs.file("D:\\in\\a.doc");
  fs.folder("D:\\in\\sub2");
  fs.folder("D:\\in\\sub2\\deep");
  fs.file("D:\\in\\sub2\\y.png");
  fs.file("D:\\in\\sub2\\deep\\z");
  return fs;
}

TEST(Scan, FilesOfAFolderFirstThenSubfoldersDepthFirstInDeliveryOrder) {
  FakeFileSystem fs = example_tree();
  const std::vector<std::string> expected = {"D:\\in\\b.txt", "D:\\in\\a.doc",
                                             "D:\\in\\sub1\\x.jpg", "D:\\in\\sub2\\y.png",
                                             "D:\\in\\sub2\\deep\\z"};
  EXPECT_EQ(scan(fs, "D:\\in"), expected);
  EXPECT_EQ(fs.most_open_searches(), 1);
  EXPECT_EQ(fs.open_searches(), 0);
  // One attribute query per entry, "." and ".." included: 6 + 3 + 4 + 3.
  EXPECT_EQ(fs.attribute_queries(), 16);
  // A second scan of the unchanged tree gives the same list.
  EXPECT_EQ(scan(fs, "D:\\in"), expected);
}

TEST(Scan, DriveRootIsSearchedAsTwoBytesAndGivesSingleSeparators) {
  FakeFileSystem fs;
  fs.folder("C:", false);
  fs.file("C:\\boot.ini");
  fs.folder("C:\\w", false);
  fs.file("C:\\w\\a.txt");
  EXPECT_EQ(scan(fs, "C:"), (std::vector<std::string>{"C:\\boot.ini", "C:\\w\\a.txt"}));
}

TEST(Scan, EntryFilterUsesTheDeliveredWord) {
  struct Case {
    std::uint32_t word;
    bool listed;
  };
  const Case cases[] = {
      {0x80, false},         {0x2000, false},      {0x100, false}, {0x80 | 0x20, true},
      {0x2000 | 0x20, true}, {0x100 | 0x20, true}, {0x02, true},   {0x04, true},
      {0x01, true},          {0x20, true},         {0x400, false}, {0, false},
  };
  for (const Case& c : cases) {
    FakeFileSystem fs;
    fs.folder("D:", false);
    fs.folder("D:\\in");
    fs.file("D:\\in\\f.txt", c.word);
    EXPECT_EQ(scan(fs, "D:\\in").size(), c.listed ? 1u : 0u) << std::hex << c.word;
  }
}

TEST(Scan, FailuresLeaveOnlyWhatCouldBeRead) {
  FakeFileSystem fs = example_tree();
  fs.fail_search("D:\\in\\sub1");
  fs.fail_attributes("D:\\in\\a.doc");
  EXPECT_EQ(scan(fs, "D:\\in"), (std::vector<std::string>{"D:\\in\\b.txt", "D:\\in\\sub2\\y.png",
                                                          "D:\\in\\sub2\\deep\\z"}));
  fs.fail_search("D:\\in");
  EXPECT_TRUE(scan(fs, "D:\\in").empty());
  EXPECT_TRUE(scan(fs, "D:\\missing").empty());
}

TEST(Scan, DotNamesOtherThanDotAndDotDotAreDescended) {
  FakeFileSystem fs;
  fs.folder("D:", false);
  fs.folder("D:\\in");
  fs.folder("D:\\in\\.git");
  fs.file("D:\\in\\.git\\HEAD");
  fs.folder("D:\\in\\...");
  fs.file("D:\\in\\...\\three");
  fs.folder("D:\\in\\hidden", true, attr::kDirectory | attr::kHidden | attr::kSystem);
  fs.file("D:\\in\\hidden\\h", attr::kHidden | attr::kSystem);
  EXPECT_EQ(
      scan(fs, "D:\\in"),
      (std::vector<std::string>{"D:\\in\\.git\\HEAD", "D:\\in\\...\\three", "D:\\in\\hidden\\h"}));
}

TEST(Scan, FolderLinksAreDescendedUnlessTheyLeadBackIntoTheLineOfDescent) {
  FakeFileSystem fs;
  fs.folder("D:", false);
  fs.folder("D:\\in");
  fs.file("D:\\in\\top.txt");
  fs.folder("D:\\in\\a");
  fs.file("D:\\in\\a\\x.txt");
  fs.link("D:\\in\\a\\back", "D:\\in");     // to an ancestor
  fs.link("D:\\in\\a\\self", "D:\\in\\a");  // to the folder itself
  fs.folder("D:\\other");
  fs.file("D:\\other\\o.txt");
  fs.link("D:\\in\\a\\out", "D:\\other");   // elsewhere: descended
  fs.link("D:\\other\\loop", "D:\\in\\a");  // leads back through the link above
  EXPECT_EQ(scan(fs, "D:\\in"), (std::vector<std::string>{"D:\\in\\top.txt", "D:\\in\\a\\x.txt",
                                                          "D:\\in\\a\\out\\o.txt"}));
}

TEST(ExtractHandler, ListsIntoTheListBoxAndEnablesSaveTo) {
  FakeFileSystem fs = example_tree();
  testing::FakeControls ui;
  ui.captions[控件::标签1] = "D:\\in";
  ui.items = {"stale"};
  提取文件名按钮_被单击(ui, fs);
  EXPECT_EQ(ui.items.size(), 5u);
  EXPECT_EQ(ui.items.front(), "D:\\in\\b.txt");
  EXPECT_EQ(ui.disabled[控件::保存到按钮], 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ExtractHandler, OnlyEmptySubfoldersCountAsNoFiles) {
  FakeFileSystem fs;
  fs.folder("D:", false);
  fs.folder("D:\\in");
  fs.folder("D:\\in\\e1");
  fs.folder("D:\\in\\e1\\e2");
  testing::FakeControls ui;
  ui.captions[控件::标签1] = "D:\\in";
  ui.captions[控件::标签2] = "E:\\";
  提取文件名按钮_被单击(ui, fs);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.captions[控件::标签2], "");
}

}  // namespace
}  // namespace orvane
