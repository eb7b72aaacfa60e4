// Start-up on Windows: OLE around the message loop, one window, nothing taken from the command
// line.
#include <ole2.h>
#include <windows.h>

#include "platform/file_system.h"
#include "window/win32/main_window_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ::OleInitialize(nullptr);
  const auto fs = orvane::make_system_file_system();
  int code = 0;
  {
    orvane::Win32Window window(instance, *fs);
    if (!window.window()) {
      ::MessageBoxW(nullptr, L"\u65e0\u6cd5\u521b\u5efa\u7a97\u53e3\u3002", L"OrvaneV1.0",
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);  // 无法创建窗口。
      code = -1;
    } else {
      window.show();
      window.run();
    }
  }
  ::OleUninitialize();
  return code;
}
