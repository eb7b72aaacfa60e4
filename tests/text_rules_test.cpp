#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

#include "platform/path_rules.h"
#include "tests/extension_cases.h"
#include "window/controls.h"

namespace orvane {
namespace {

bool gbk_lead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}

TEST(Extension, LastDotOfTheFileNameUnlessASpaceFollows) {
  for (const auto& c : testing::kExtensionCases) {
    const std::size_t at = last_dot_extension(c.item, '/', no_lead_bytes);
    EXPECT_EQ(c.item.substr(at), c.extension) << c.item;
  }
}

TEST(Extension, GbkTrailBytesAreNeverTakenForADotOrASeparator) {
  // 0xA1 0x2E is not a GBK character, but 0x81 0x5C is: its trail byte is "\".
  const std::string item =
      "D:\\in\\a.b\x81\x5C"
      "c";
  EXPECT_EQ(item.substr(last_dot_extension(item, '\\', gbk_lead)),
            ".b\x81\x5C"
            "c");
  EXPECT_EQ(item.substr(last_dot_extension(item, '\\', no_lead_bytes)), "");
}

struct CutCase {
  std::string_view item;
  char separator;
  bool gbk;
  std::string_view file_name;
};

TEST(FileName, CutAtTheLastSeparatorThatIsACharacterByItself) {
  const CutCase cases[] = {
      {"D:\\in\\b.txt", '\\', true, "b.txt"},
      {"nofolder.txt", '\\', true, "nofolder.txt"},
      // A GBK character whose second byte is "\" does not cut the name.
      {"D:\\in\\\x95\x5C.txt", '\\', true, "\x95\x5C.txt"},
      {"D:\\\x95\x5C\\\x95\x5C\x95\x5C.jpg", '\\', true, "\x95\x5C\x95\x5C.jpg"},
      // In UTF-8 a character's last byte may have its high bit set and be followed by "/":
      // the "/" is still a separator.
      {"/home/\xe4\xb8\xad/x.txt", '/', false, "x.txt"},
      {"/home/\xe4\xb8\xad/\xe6\x96\x87.txt", '/', false, "\xe6\x96\x87.txt"},
      {"/", '/', false, ""},
      {"", '/', false, ""},
  };
  for (const auto& c : cases) {
    const std::string got = c.gbk ? file_name_of(c.item, c.separator, gbk_lead)
                                  : file_name_of(c.item, c.separator, no_lead_bytes);
    EXPECT_EQ(got, c.file_name) << c.item;
  }
}

TEST(SourceForm, OnlyAThreeByteDriveRootIsCut) {
  EXPECT_EQ(drive_root_source_form("C:\\"), "C:");
  EXPECT_EQ(drive_root_source_form("D:\\in"), "D:\\in");
  EXPECT_EQ(drive_root_source_form("D:"), "D:");
  EXPECT_EQ(drive_root_source_form(""), "");
}

TEST(Window, CentredOnTheWholeScreen) {
  EXPECT_EQ(centred_on_screen(1024, 768), (Point{232, 165}));
  EXPECT_EQ(centred_on_screen(800, 600), (Point{120, 81}));
}

TEST(Window, NoTwoControlsOverlap) {
  for (const auto& a : kControls)
    for (const auto& b : kControls) {
      if (a.id == b.id) continue;
      const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                         a.top + a.height <= b.top || b.top + b.height <= a.top;
      EXPECT_TRUE(apart) << a.name << " / " << b.name;
    }
}

TEST(TabOrder, SkipsWhatIsNotEligibleAndWraps) {
  using enum 控件;
  const auto sequence = [](std::set<控件> enabled, 控件 from, bool forward, int steps) {
    std::vector<控件> seen;
    std::optional<控件> at = from;
    for (int i = 0; i < steps; ++i) {
      at = next_in_tab_order(at, forward, [&](控件 c) { return enabled.count(c) > 0; });
      seen.push_back(*at);
    }
    return seen;
  };
  const std::set<控件> at_start = {原始目录按钮, 列表框1, 选择框1};
  EXPECT_EQ(sequence(at_start, 原始目录按钮, true, 3),
            (std::vector<控件>{列表框1, 选择框1, 原始目录按钮}));
  EXPECT_EQ(sequence(at_start, 原始目录按钮, false, 3),
            (std::vector<控件>{选择框1, 列表框1, 原始目录按钮}));
  const std::set<控件> all = {原始目录按钮,   列表框1,    选择框1,
                              提取文件名按钮, 保存到按钮, 开始分类按钮};
  EXPECT_EQ(sequence(all, 原始目录按钮, true, 6),
            (std::vector<控件>{列表框1, 开始分类按钮, 选择框1, 保存到按钮, 提取文件名按钮,
                               原始目录按钮}));
  EXPECT_EQ(next_in_tab_order(std::nullopt, true, [](控件) { return false; }), std::nullopt);
  EXPECT_EQ(next_in_tab_order(标签1, true, [&](控件 c) { return at_start.count(c) > 0; }),
            原始目录按钮);
}

}  // namespace
}  // namespace orvane
