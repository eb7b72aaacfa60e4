// The control operations of the Qt window at their edges.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QProgressBar>

#include "platform/file_system.h"
#include "window/qt/main_window.h"

namespace orvane {
namespace {

using enum 控件;

struct QtControls : ::testing::Test {
  std::unique_ptr<FileSystem> fs = make_system_file_system();
  启动窗口 window{*fs};
};

TEST_F(QtControls, CaptionsKeepTheirBytes) {
  const std::string cases[] = {"", "C:\\", "D:\\A&B", "a&&b", "/tmp/caf\xe9", " padded  "};
  for (const std::string& c : cases) {
    window.set_caption(标签1, c);
    EXPECT_EQ(window.caption(标签1), c);
  }
}

TEST_F(QtControls, ListBoxKeepsOrderBytesAndEdges) {
  EXPECT_EQ(window.item_text(列表框1, 0), "");
  EXPECT_EQ(window.add_item(列表框1, "zeta"), 0);
  EXPECT_EQ(window.add_item(列表框1, "alpha"), 1);
  EXPECT_EQ(window.add_item(列表框1, "\xff\xfe raw"), 2);
  EXPECT_EQ(window.item_count(列表框1), 3);
  EXPECT_EQ(window.item_text(列表框1, 0), "zeta");
  EXPECT_EQ(window.item_text(列表框1, 1), "alpha");
  EXPECT_EQ(window.item_text(列表框1, 2), "\xff\xfe raw");
  EXPECT_EQ(window.item_text(列表框1, -1), "");
  EXPECT_EQ(window.item_text(列表框1, 3), "");
  QApplication::processEvents();
  EXPECT_EQ(static_cast<QAbstractItemView*>(window.widget(列表框1))->model()->rowCount(), 3);
  window.clear(列表框1);
  EXPECT_EQ(window.item_count(列表框1), 0);
  EXPECT_EQ(window.item_text(列表框1, 0), "");
}

TEST_F(QtControls, ListBoxKeepsItemsWholeAcrossItsStorageBlocks) {
  // Enough items to fill several 1 MiB blocks, with an empty item and one larger than a block.
  std::vector<std::string> added;
  for (int i = 0; i < 30000; ++i) {
    std::string item =
        "/data/" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), 'p');
    if (i == 7000) item.clear();
    if (i == 9000) item = std::string((std::size_t{1} << 20) + 3, 'L');
    added.push_back(item);
    ASSERT_EQ(window.add_item(列表框1, item), i);
  }
  ASSERT_EQ(window.item_count(列表框1), 30000);
  for (int i = 0; i < 30000; ++i) ASSERT_EQ(window.item_text(列表框1, i), added[i]) << i;
  window.clear(列表框1);
  EXPECT_EQ(window.add_item(列表框1, "again"), 0);
  EXPECT_EQ(window.item_text(列表框1, 0), "again");
}

TEST_F(QtControls, ProgressBarKeepsLimitedValuesAndShowsThemInItsRange) {
  struct Step {
    bool maximum;  // else position
    int value;
    int kept_position, shown;
  };
  const Step steps[] = {
      {false, 40000, 32767, 100}, {false, -5, 0, 0},
      {true, 50000, 0, 0},        {false, 40000, 32767, 32767},
      {true, 0, 32767, 0},        {false, 1, 1, 0},
      {true, 10, 1, 1},           {false, 11, 11, 10},
  };
  for (const Step& s : steps) {
    if (s.maximum) {
      window.set_maximum(进度条1, s.value);
    } else {
      window.set_position(进度条1, s.value);
    }
    EXPECT_EQ(window.position(进度条1), s.kept_position) << s.value;
    EXPECT_EQ(window.shown_position(), s.shown) << s.value;
  }
  auto* bar = static_cast<QProgressBar*>(window.widget(进度条1));
  window.set_maximum(进度条1, 0);
  EXPECT_NE(bar->minimum(), bar->maximum()) << "a 0..0 range would show a busy bar";
}

TEST_F(QtControls, ButtonsAndCheckBox) {
  window.set_disabled(保存到按钮, 0);
  EXPECT_TRUE(window.widget(保存到按钮)->isEnabled());
  window.set_disabled(保存到按钮, 7);
  EXPECT_FALSE(window.widget(保存到按钮)->isEnabled());
  EXPECT_EQ(window.ticked(选择框1), 0);
  static_cast<QAbstractButton*>(window.widget(选择框1))->click();
  EXPECT_EQ(window.ticked(选择框1), 1);
}

}  // namespace
}  // namespace orvane
