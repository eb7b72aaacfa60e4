#include <gtest/gtest.h>

#include "sorting/run.h"
#include "tests/fake_controls.h"
#include "tests/fake_file_system.h"
#include "window/texts.h"

namespace orvane {
namespace {

using enum 控件;
using testing::FakeControls;
using testing::FakeFileSystem;

struct Run : ::testing::Test {
  FakeFileSystem fs;
  FakeControls ui;
  void SetUp() override {
    fs.folder("D:", false);
    fs.folder("D:\\in");
    fs.folder("E:", false);
    ui.captions[标签2] = "E:\\";
  }
  void list(std::vector<std::string> items) {
    for (const auto& item : items) fs.file(item, attr::kArchive, "bytes of " + item);
    ui.items = std::move(items);
  }
};

TEST_F(Run, OperationsInTheirOrder) {
  list({"D:\\in\\a.jpg", "D:\\in\\README"});
  ui.tick = 1;
  分类文件(ui, fs);
  const std::vector<std::string> expected = {
      "set_position 进度条1 0",
      "caption 标签2",
      "item_count 列表框1",
      "set_maximum 进度条1 2",
      "item_text 列表框1 0",
      "ticked 选择框1",
      "position 进度条1",
      "set_position 进度条1 1",
      "item_text 列表框1 1",
      "ticked 选择框1",
      "position 进度条1",
      "set_position 进度条1 2",
      "message_box " + native_text(kMessageDone),
  };
  EXPECT_EQ(ui.log, expected);
  EXPECT_EQ(fs.log(), (std::vector<std::string>{
                          "extension D:\\in\\a.jpg",
                          "create_folder E:\\\\jpg",
                          "move D:\\in\\a.jpg -> E:\\\\jpg\\a.jpg",
                          "extension D:\\in\\README",
                          "create_folder E:\\\\",
                          "move D:\\in\\README -> E:\\\\\\README",
                          "finish_moves",
                      }));
  EXPECT_EQ(fs.content("E:\\jpg\\a.jpg"), "bytes of D:\\in\\a.jpg");
  EXPECT_EQ(fs.content("E:\\README"), "bytes of D:\\in\\README");
  EXPECT_FALSE(fs.exists("D:\\in\\a.jpg"));
}

// Controls whose list grows each time an item is read, as a list changed during the run would.
struct GrowingList : FakeControls {
  std::string item_text(控件 c, int i) const override {
    const_cast<GrowingList*>(this)->items.push_back("D:\\in\\late.txt");
    return FakeControls::item_text(c, i);
  }
};

TEST_F(Run, ItemCountIsReadOnceSoAGrowingListIsNotFollowed) {
  list({"D:\\in\\a.txt", "D:\\in\\b.txt"});
  fs.file("D:\\in\\late.txt");
  GrowingList growing;
  growing.captions[标签2] = "E:\\";
  growing.items = ui.items;
  分类文件(growing, fs);
  EXPECT_EQ(growing.items.size(), 4u);
  EXPECT_TRUE(fs.exists("E:\\txt\\b.txt"));
  EXPECT_FALSE(fs.exists("E:\\txt\\late.txt"));
  EXPECT_EQ(growing.bar.position(), 2);
}

TEST_F(Run, MoreItemsThanTheBarHoldsAreAllProcessed) {
  const int n = 32767 + 40;
  ui.log_positions = false;
  ui.log_items = false;
  for (int i = 0; i < n; ++i) ui.items.push_back("D:\\in\\missing" + std::to_string(i) + ".x");
  分类文件(ui, fs);
  int copies = 0;
  for (const auto& line : fs.log()) copies += line.rfind("copy ", 0) == 0;
  EXPECT_EQ(copies, n);
  EXPECT_EQ(ui.bar.position(), 32767);
  EXPECT_EQ(ui.bar.shown(), 32767);
  EXPECT_EQ(ui.messages, std::vector<std::string>{native_text(kMessageDone)});
}

TEST_F(Run, EveryTransferFailingStillEndsWithTheMessage) {
  ui.items = {"D:\\in\\gone.txt", "", "D:\\in\\also-gone"};
  for (int tick : {0, 1}) {
    ui.tick = tick;
    ui.messages.clear();
    分类文件(ui, fs);
    EXPECT_EQ(ui.messages, std::vector<std::string>{native_text(kMessageDone)});
    EXPECT_EQ(ui.bar.position(), 3);
  }
}

TEST_F(Run, CopyModeTheLaterItemWinsAndSourcesStay) {
  fs.folder("D:\\in\\x");
  fs.folder("D:\\in\\y");
  list({"D:\\in\\x\\a.jpg", "D:\\in\\y\\a.jpg"});
  分类文件(ui, fs);
  EXPECT_EQ(fs.content("E:\\jpg\\a.jpg"), "bytes of D:\\in\\y\\a.jpg");
  EXPECT_TRUE(fs.exists("D:\\in\\x\\a.jpg"));
  EXPECT_TRUE(fs.exists("D:\\in\\y\\a.jpg"));
}

TEST(RunMove, AFileThisRunMovedIsNeverReplaced) {
  for (bool case_insensitive : {false, true}) {
    FakeFileSystem fs({.case_insensitive = case_insensitive});
    FakeControls ui;
    fs.folder("D:", false);
    fs.folder("D:\\in");
    fs.folder("D:\\in\\x");
    fs.folder("D:\\in\\y");
    fs.folder("E:", false);
    fs.file("D:\\in\\x\\a.jpg", attr::kArchive, "first");
    const std::string second = case_insensitive ? "D:\\in\\y\\A.JPG" : "D:\\in\\y\\a.jpg";
    fs.file(second, attr::kArchive, "second");
    if (case_insensitive) fs.folder("E:\\jpg");  // one folder serves JPG and jpg
    ui.captions[控件::标签2] = "E:";
    ui.items = {"D:\\in\\x\\a.jpg", second};
    ui.tick = 1;
    分类文件(ui, fs);
    EXPECT_EQ(fs.content("E:\\jpg\\a.jpg"), "first");
    EXPECT_FALSE(fs.exists("D:\\in\\x\\a.jpg"));
    EXPECT_EQ(fs.content(second), "second") << "the later item stays where it was";
  }
}

TEST(RunMove, AFileStandingBeforeTheRunIsReplaced) {
  FakeFileSystem fs;
  FakeControls ui;
  fs.folder("D:", false);
  fs.folder("D:\\in");
  fs.folder("E:", false);
  fs.folder("E:\\txt");
  fs.file("E:\\txt\\a.txt", attr::kArchive, "old");
  fs.file("D:\\in\\a.txt", attr::kArchive, "new");
  ui.captions[控件::标签2] = "E:";
  ui.items = {"D:\\in\\a.txt"};
  ui.tick = 1;
  分类文件(ui, fs);
  EXPECT_EQ(fs.content("E:\\txt\\a.txt"), "new");
  EXPECT_FALSE(fs.exists("D:\\in\\a.txt"));
}

}  // namespace
}  // namespace orvane
