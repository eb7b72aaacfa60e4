#include <gtest/gtest.h>

#include "sorting/scan.h"
#include "tests/fake_controls.h"
#include "tests/fake_file_system.h"
#include "window/folder_choice.h"
#include "window/texts.h"

namespace orvane {
namespace {

using enum 控件;
using testing::FakeControls;
using testing::FakeFileSystem;

// A window in the state of a finished workflow: source chosen, scanned, destination chosen.
struct Workflow : ::testing::Test {
  FakeFileSystem fs;
  FakeControls ui;
  void SetUp() override {
    fs.folder("D:", false);
    fs.folder("D:\\in");
    fs.file("D:\\in\\a.txt");
    ui.picks = {"D:\\in", "E:\\"};
    原始目录按钮_被单击(ui, fs);
    提取文件名按钮_被单击(ui, fs);
    保存到按钮_被单击(ui);
    ASSERT_EQ(ui.items, std::vector<std::string>{"D:\\in\\a.txt"});
    ui.log.clear();
  }
  std::vector<int> flags() {
    return {ui.disabled[提取文件名按钮], ui.disabled[保存到按钮], ui.disabled[开始分类按钮]};
  }
};

TEST_F(Workflow, SourceCancelResetsEverythingAfterItInOrder) {
  原始目录按钮_被单击(ui, fs);
  EXPECT_EQ(ui.log, (std::vector<std::string>{
                        "browse " + native_text(kPromptSource),
                        "set_caption 标签1 ",
                        "caption 标签1",
                        "caption 标签1",
                        "set_disabled 提取文件名按钮 1",
                        "set_disabled 保存到按钮 1",
                        "set_disabled 开始分类按钮 1",
                        "clear 列表框1",
                        "set_caption 标签2 ",
                    }));
  EXPECT_EQ(flags(), (std::vector<int>{1, 1, 1}));
  EXPECT_TRUE(ui.items.empty());
  EXPECT_EQ(ui.captions[标签2], "");
}

TEST_F(Workflow, SecondSourceChoiceAfterAScanKeepsListAndButtons) {
  ui.picks = {"D:\\other"};
  原始目录按钮_被单击(ui, fs);
  EXPECT_EQ(ui.captions[标签1], "D:\\other");
  EXPECT_EQ(flags(), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(ui.items.size(), 1u);
  EXPECT_EQ(ui.captions[标签2], "E:\\");
}

TEST_F(Workflow, DestinationCancelKeepsTheListAndEmptiesTheCreditLine) {
  保存到按钮_被单击(ui);
  EXPECT_EQ(ui.log, (std::vector<std::string>{
                        "browse " + native_text(kPromptDestination),
                        "set_caption 标签2 ",
                        "caption 标签2",
                        "set_disabled 开始分类按钮 1",
                        "set_caption 标签3 ",
                    }));
  EXPECT_EQ(ui.items.size(), 1u);
  EXPECT_EQ(ui.captions[标签3], "");
  EXPECT_EQ(flags(), (std::vector<int>{0, 0, 1}));
}

TEST_F(Workflow, ScanThatFindsNothingForgetsTheDestination) {
  fs.folder("D:\\empty");
  ui.picks = {"D:\\empty"};
  原始目录按钮_被单击(ui, fs);
  ui.log.clear();
  提取文件名按钮_被单击(ui, fs);
  EXPECT_EQ(ui.messages, std::vector<std::string>{native_text(kMessageNoFiles)});
  const std::vector<std::string> tail(ui.log.end() - 4, ui.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{
                      "message_box " + native_text(kMessageNoFiles),
                      "set_disabled 保存到按钮 1",
                      "set_caption 标签2 ",
                      "set_disabled 开始分类按钮 1",
                  }));
  EXPECT_EQ(flags(), (std::vector<int>{0, 1, 1}));
}

TEST(FolderChoice, HowEachPickIsHeld) {
  struct Case {
    bool drive_roots;
    std::string pick, held;
  };
  const Case cases[] = {
      {true, "C:\\", "C:"}, {true, "D:\\in", "D:\\in"}, {true, "D:", "D:"},
      {false, "/", "/"},    {false, "/ab", "/ab"},      {false, "/home/u", "/home/u"},
  };
  for (const Case& c : cases) {
    FakeFileSystem fs({.separator = c.drive_roots ? '\\' : '/', .drive_roots = c.drive_roots});
    FakeControls ui;
    ui.picks = {c.pick};
    原始目录按钮_被单击(ui, fs);
    EXPECT_EQ(ui.captions[标签1], c.held) << c.pick;
    EXPECT_EQ(ui.disabled[提取文件名按钮], 0) << c.pick;
  }
}

TEST(FolderChoice, DestinationIsHeldAsPicked) {
  FakeControls ui;
  ui.picks = {"E:\\"};
  保存到按钮_被单击(ui);
  EXPECT_EQ(ui.captions[标签2], "E:\\");
  EXPECT_EQ(ui.disabled[开始分类按钮], 0);
  EXPECT_EQ(ui.captions[标签3], spec_of(标签3).text);
}

}  // namespace
}  // namespace orvane
