// The main window 启动窗口 as a native Win32 window, built from the control table, and its
// control operations over the Windows controls.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "platform/file_system.h"
#include "window/control_ops.h"

namespace orvane {

class Win32Window final : public ControlOps {
 public:
  static constexpr const char* kWindowClass = "OrvaneMainWindow";
  static constexpr const char* kLabelClass = "OrvaneLabel";

  // Creates the window hidden, with all its controls; null window() when that failed.
  Win32Window(HINSTANCE instance, FileSystem& fs);
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window() override;

  HWND window() const { return window_; }
  HWND control(控件 id) const { return controls_[static_cast<std::size_t>(id)]; }
  void show();
  // The window's own look at a key before the control sees it: true when it handled the key.
  bool pretranslate(const MSG& msg);
  // Runs the message loop until the window is gone.
  int run();

  // --- ControlOps -----------------------------------------------------------------------------
  std::string caption(控件 label) const override;
  void set_caption(控件 label, const std::string& text) override;
  void set_disabled(控件 button, int flag) override;
  int ticked(控件 box) const override;
  void set_maximum(控件 bar, int maximum) override;
  void set_position(控件 bar, int position) override;
  int position(控件 bar) const override;
  void clear(控件 list) override;
  int add_item(控件 list, const std::string& text) override;
  int item_count(控件 list) const override;
  std::string item_text(控件 list, int index) const override;
  void message_box(const std::string& message) override;
  std::string browse_for_folder(const std::string& prompt) override;

  using Browser = std::function<std::string(const std::string& prompt)>;
  using Messenger = std::function<void(const std::string& message)>;
  void replace_dialogs(Browser browser, Messenger messenger);

  // The value the progress bar shows.
  int shown_position() const;

 private:
  static LRESULT CALLBACK window_proc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK label_proc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp);
  void create_controls();
  void move_focus(bool forward);
  void focus_first();
  void apply_progress();

  HINSTANCE instance_;
  FileSystem& fs_;
  HWND window_ = nullptr;
  std::array<HWND, 10> controls_{};
  HWND last_focus_ = nullptr;
  ProgressValues progress_;
  Browser browser_;
  Messenger messenger_;
};

}  // namespace orvane
