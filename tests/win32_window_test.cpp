// The Win32 window read back with the Win32 calls, its keyboard handling, and the workflow.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "platform/file_system_win32.h"
#include "tests/dialog_doubles.h"
#include "tests/win32_test_support.h"
#include "window/texts.h"
#include "window/win32/main_window_win32.h"

namespace orvane {
namespace {

using enum 控件;

void pump(Win32Window& w) {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (w.pretranslate(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

struct Win32WindowTest : ::testing::Test {
  Win32FileSystem fs;
  Win32Window window{::GetModuleHandleA(nullptr), fs};
  testing::DialogDoubles dialogs;
  std::vector<std::string>& picks = dialogs.picks;
  std::vector<std::string>& messages = dialogs.messages;

  void SetUp() override {
    ASSERT_NE(window.window(), nullptr);
    dialogs.install(window);
    window.show();
    ::SetForegroundWindow(window.window());
    ::SetActiveWindow(window.window());
    pump(window);
  }
  void click(控件 c) { ::SendMessageA(window.control(c), BM_CLICK, 0, 0); }
};

TEST_F(Win32WindowTest, ControlsStandAsTheTableSays) {
  RECT outer;
  ::GetWindowRect(window.window(), &outer);
  EXPECT_EQ(outer.right - outer.left, kWindowWidth);
  EXPECT_EQ(outer.bottom - outer.top, kWindowHeight);
  const LONG style = ::GetWindowLongA(window.window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN),
            WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_EQ(::GetWindowLongA(window.window(), GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  char title[256] = {};
  ::GetWindowTextA(window.window(), title, sizeof title);
  EXPECT_EQ(std::string(title), native_text(kWindowCaption));

  struct Looks {
    const char* cls;
    LONG style, ex_style;
  };
  const auto looks = [](控件类型 kind) -> Looks {
    switch (kind) {
      case 控件类型::button:
        return {"Button", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0};
      case 控件类型::label:
        return {Win32Window::kLabelClass, 0, 0};
      case 控件类型::list_box:
        return {"ListBox", LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                WS_EX_CLIENTEDGE};
      case 控件类型::progress_bar:
        return {"msctls_progress32", 0, WS_EX_STATICEDGE};
      case 控件类型::check_box:
        return {"Button", BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER, 0};
    }
    return {};
  };
  // The list box shows its scroll bar only while the items do not fit.
  EXPECT_EQ(::GetWindowLongA(window.control(列表框1), GWL_STYLE) & WS_VSCROLL, 0);
  for (int i = 0; i < 40; ++i) window.add_item(列表框1, "item " + std::to_string(i));
  for (const ControlSpec& s : kControls) {
    HWND c = window.control(s.id);
    char cls[64] = {};
    ::GetClassNameA(c, cls, sizeof cls);
    const Looks l = looks(s.kind);
    EXPECT_STRCASEEQ(cls, l.cls) << s.name;
    EXPECT_EQ(::GetWindowLongA(c, GWL_STYLE) & l.style, l.style) << s.name;
    EXPECT_EQ(::GetWindowLongA(c, GWL_EXSTYLE) & l.ex_style, l.ex_style) << s.name;
    if (s.kind == 控件类型::list_box) {
      EXPECT_EQ(::GetWindowLongA(c, GWL_STYLE) & (LBS_SORT | LBS_EXTENDEDSEL | LBS_DISABLENOSCROLL),
                0);
    }
    if (s.kind == 控件类型::progress_bar) {
      EXPECT_EQ(::GetWindowLongA(c, GWL_STYLE) & (PBS_SMOOTH | PBS_VERTICAL), 0);
    }
    RECT r;
    ::GetWindowRect(c, &r);
    ::MapWindowPoints(nullptr, window.window(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, s.left) << s.name;
    EXPECT_EQ(r.top, s.top) << s.name;
    EXPECT_EQ(r.right - r.left, s.width) << s.name;
    EXPECT_EQ(r.bottom - r.top, s.height) << s.name;
    EXPECT_EQ(::IsWindowEnabled(c) != 0, s.enabled) << s.name;
    EXPECT_TRUE(::IsWindowVisible(c)) << s.name;
    if (s.kind == 控件类型::label) {
      EXPECT_EQ(window.caption(s.id), native_text(s.text)) << s.name;
    } else if (s.kind == 控件类型::button || s.kind == 控件类型::check_box) {
      char text[256] = {};
      ::GetWindowTextA(c, text, sizeof text);
      EXPECT_EQ(std::string(text), native_text(s.text)) << s.name;
    }
  }
  DWORD label_class_style = ::GetClassLongA(window.control(标签1), GCL_STYLE);
  EXPECT_EQ(label_class_style & (CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW),
            static_cast<DWORD>(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(::SendMessageA(window.control(进度条1), PBM_GETRANGE, FALSE, 0), 100);
}

TEST(Win32Texts, TheProgramsTextsReachTheAnsiCallsAsGbk) {
  EXPECT_EQ(native_text("信息："), "\xD0\xC5\xCF\xA2\xA3\xBA");
  EXPECT_EQ(native_text("提取文件名"), "\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE\xC3\xFB");
  EXPECT_EQ(native_text(""), "");
}

TEST_F(Win32WindowTest, ControlOperationsAtTheirEdges) {
  window.set_caption(标签1, "C:\\");
  EXPECT_EQ(window.caption(标签1), "C:\\");
  window.set_caption(标签1, "");
  EXPECT_EQ(window.caption(标签1), "");
  EXPECT_EQ(window.add_item(列表框1, "zeta"), 0);
  EXPECT_EQ(window.add_item(列表框1, "alpha"), 1);
  EXPECT_EQ(window.item_text(列表框1, 0), "zeta");
  EXPECT_EQ(window.item_text(列表框1, -1), "");
  EXPECT_EQ(window.item_text(列表框1, 2), "");
  window.set_position(进度条1, 40000);
  EXPECT_EQ(window.position(进度条1), 32767);
  window.set_maximum(进度条1, 0);
  window.set_position(进度条1, 1);
  EXPECT_EQ(window.position(进度条1), 1);
  EXPECT_EQ(window.shown_position(), 0);
  window.set_maximum(进度条1, 50000);
  EXPECT_EQ(::SendMessageA(window.control(进度条1), PBM_GETRANGE, FALSE, 0), 32767);
}

TEST_F(Win32WindowTest, TabFollowsTheTabOrderSkippingDisabledButtons) {
  pump(window);
  EXPECT_EQ(::GetFocus(), window.control(原始目录按钮));
  const auto walk = [&](int steps) {
    std::vector<HWND> seen;
    for (int i = 0; i < steps; ++i) {
      ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_TAB, 0);
      pump(window);
      seen.push_back(::GetFocus());
    }
    return seen;
  };
  const auto c = [&](控件 id) { return window.control(id); };
  EXPECT_EQ(walk(3), (std::vector<HWND>{c(列表框1), c(选择框1), c(原始目录按钮)}));
  for (控件 b : {提取文件名按钮, 保存到按钮, 开始分类按钮}) window.set_disabled(b, 0);
  EXPECT_EQ(walk(6), (std::vector<HWND>{c(列表框1), c(开始分类按钮), c(选择框1), c(保存到按钮),
                                        c(提取文件名按钮), c(原始目录按钮)}));
  // Shift+Tab goes back the same way.
  ::keybd_event(VK_SHIFT, 0, 0, 0);
  pump(window);
  std::vector<HWND> back;
  for (int i = 0; i < 2; ++i) {
    ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pump(window);
    back.push_back(::GetFocus());
  }
  ::keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  pump(window);
  EXPECT_EQ(back, (std::vector<HWND>{c(提取文件名按钮), c(保存到按钮)}));
  ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  pump(window);
  EXPECT_TRUE(::IsWindow(window.window())) << "Enter does nothing";
}

TEST_F(Win32WindowTest, WholeWorkflowThroughButtonClicks) {
  testing::Win32TempDir src, dst;
  ::CreateDirectoryA((src / "sub").c_str(), nullptr);
  ASSERT_TRUE(testing::write_file(src / "README", "r"));
  ASSERT_TRUE(testing::write_file(src / "sub\\a.JPG", "a"));
  ASSERT_TRUE(testing::write_file(src / "sub\\b.tar.gz", "b"));
  picks = {src.path(), dst.path()};
  click(原始目录按钮);
  EXPECT_EQ(window.caption(标签1), src.path());
  click(提取文件名按钮);
  EXPECT_EQ(window.item_count(列表框1), 3);
  EXPECT_EQ(window.item_text(列表框1, 0), src / "README");
  click(保存到按钮);
  click(开始分类按钮);
  EXPECT_EQ(messages, std::vector<std::string>{native_text(kMessageDone)});
  EXPECT_EQ(testing::read_file(dst / "README"), "r");
  EXPECT_EQ(testing::read_file(dst / "JPG\\a.JPG"), "a");
  EXPECT_EQ(testing::read_file(dst / "gz\\b.tar.gz"), "b");
  EXPECT_EQ(testing::read_file(src / "sub\\a.JPG"), "a") << "copies leave the sources";

  picks = {""};
  click(保存到按钮);
  EXPECT_EQ(window.caption(标签3), "");
  EXPECT_FALSE(::IsWindowEnabled(window.control(开始分类按钮)));
}

TEST(Win32Browser, TheRealFolderBrowserOpensAndCancelCountsAsNoChoice) {
  Win32FileSystem fs;
  Win32Window window(::GetModuleHandleA(nullptr), fs);
  window.show();
  window.set_caption(标签1, "D:\\before");
  std::atomic<bool> cancelled{false};
  std::thread closer([&] {
    for (int i = 0; i < 200 && !cancelled; ++i) {
      ::Sleep(50);
      HWND dialog = ::FindWindowA("#32770", nullptr);
      if (dialog && ::GetWindowThreadProcessId(dialog, nullptr) ==
                        ::GetWindowThreadProcessId(window.window(), nullptr)) {
        // The program's own window is disabled while the dialog is open.
        if (!::IsWindowEnabled(window.window())) {
          ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
          cancelled = true;
        }
      }
    }
  });
  ::SendMessageA(window.control(原始目录按钮), BM_CLICK, 0, 0);
  closer.join();
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(window.caption(标签1), "");
  EXPECT_FALSE(::IsWindowEnabled(window.control(提取文件名按钮)));
  EXPECT_TRUE(::IsWindowEnabled(window.window())) << "enabled again after the dialog";
}

TEST(Win32Program, EscClosesTheRealProgramWithExitCodeZero) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  char command[] = ORVANE_EXE;
  ASSERT_TRUE(
      ::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  // The window exists a moment before its controls do: wait for the list box.
  HWND list = nullptr;
  for (int i = 0; i < 200 && !list; ++i) {
    ::Sleep(50);
    for (HWND w = ::FindWindowA(Win32Window::kWindowClass, nullptr); w && !list;
         w = ::FindWindowExA(nullptr, w, Win32Window::kWindowClass, nullptr)) {
      DWORD pid = 0;
      ::GetWindowThreadProcessId(w, &pid);
      if (pid == pi.dwProcessId) list = ::FindWindowExA(w, nullptr, "LISTBOX", nullptr);
    }
  }
  ASSERT_NE(list, nullptr) << "the program's window did not appear";
  ::PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
}

}  // namespace
}  // namespace orvane
