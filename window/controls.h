// The controls of the main window, written once as data: the Qt window and the Win32 window both
// build from this table.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace orvane {

enum class 控件 : int {
  原始目录按钮,
  标签1,
  列表框1,
  进度条1,
  提取文件名按钮,
  保存到按钮,
  标签2,
  开始分类按钮,
  标签3,
  选择框1,
};

enum class 控件类型 { button, label, list_box, progress_bar, check_box };

struct ControlSpec {
  控件 id;
  std::string_view name;  // UTF-8
  控件类型 kind;
  int left, top, width, height;
  std::string_view text;  // UTF-8, shown at start
  bool enabled;           // at start
};

// Window caption, credit line and the address the credit line opens (UTF-8).
inline constexpr std::string_view kWindowCaption = "OrvaneV1.0 联系：Orvane 开源项目组";
inline constexpr std::string_view kCreditLine = "Orvane 文件分类工具 · 访问项目主页";
inline constexpr std::string_view kCreditAddress = "https://orvane.org/";
inline constexpr int kWindowWidth = 560;
inline constexpr int kWindowHeight = 437;

inline constexpr std::array<ControlSpec, 10> kControls = {{
    {控件::原始目录按钮, "原始目录按钮", 控件类型::button, 8, 16, 80, 24, "选择原始目录", true},
    {控件::标签1, "标签1", 控件类型::label, 104, 16, 448, 24, "", true},
    {控件::列表框1, "列表框1", 控件类型::list_box, 8, 48, 536, 208, "", true},
    {控件::进度条1, "进度条1", 控件类型::progress_bar, 8, 264, 536, 16, "", true},
    {控件::提取文件名按钮, "提取文件名按钮", 控件类型::button, 10, 295, 80, 30, "提取文件名",
     false},
    {控件::保存到按钮, "保存到按钮", 控件类型::button, 95, 295, 72, 30, "保存到...", false},
    {控件::标签2, "标签2", 控件类型::label, 176, 295, 384, 24, "", true},
    {控件::开始分类按钮, "开始分类按钮", 控件类型::button, 10, 329, 158, 30, "立即开始分类", false},
    {控件::标签3, "标签3", 控件类型::label, 176, 329, 376, 32, kCreditLine, true},
    {控件::选择框1, "选择框1", 控件类型::check_box, 10, 369, 518, 16,
     "直接删除原始分类前文件！(复选此项，则直接移动分类；否则，复制分类，原文件不动)", true},
}};

inline constexpr std::array<控件, 6> kTabOrder = {
    控件::提取文件名按钮, 控件::原始目录按钮, 控件::列表框1,
    控件::开始分类按钮,   控件::选择框1,      控件::保存到按钮,
};

inline constexpr int kProgressStartMaximum = 100;

constexpr const ControlSpec& spec_of(控件 id) {
  return kControls[static_cast<std::size_t>(id)];
}

// The control that receives the focus after `current` (or before it, when `forward` is false)
// among those that `eligible` accepts (visible and enabled), wrapping around. A control outside
// the tab order, or none, starts from the beginning of the order. Nothing when no control is
// eligible.
template <typename Eligible>
std::optional<控件> next_in_tab_order(std::optional<控件> current, bool forward,
                                      Eligible eligible) {
  const int n = static_cast<int>(kTabOrder.size());
  int at = -1;
  for (int i = 0; i < n; ++i)
    if (current && kTabOrder[i] == *current) at = i;
  if (at < 0) at = forward ? n - 1 : 0;
  for (int step = 1; step <= n; ++step) {
    const int i = ((at + (forward ? step : -step)) % n + n) % n;
    if (eligible(kTabOrder[i])) return kTabOrder[i];
  }
  return std::nullopt;
}

struct Point {
  int left, top;
  friend bool operator==(const Point&, const Point&) = default;
};

// Where the window's outer corner goes on a screen of the given size.
constexpr Point centred_on_screen(int screen_width, int screen_height) {
  return {(screen_width - kWindowWidth) / 2, (screen_height - kWindowHeight) / 2};
}

}  // namespace orvane
