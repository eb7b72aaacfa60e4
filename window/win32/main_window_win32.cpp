#include "window/win32/main_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "window/handlers.h"
#include "window/texts.h"

namespace orvane {
namespace {

constexpr int kFirstControlId = 100;

// What each label keeps: its caption bytes, its colour and the font it draws with.
struct LabelData {
  std::string caption;
  COLORREF colour = RGB(0, 0, 0);
  HFONT font = nullptr;
  bool credit = false;
};

LabelData* label_data(HWND label) {
  return reinterpret_cast<LabelData*>(::GetWindowLongPtrA(label, GWLP_USERDATA));
}

DWORD style_of(const ControlSpec& s) {
  DWORD style = WS_CHILD | WS_VISIBLE | (s.enabled ? 0 : WS_DISABLED);
  switch (s.kind) {
    case 控件类型::button:
      return style | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
    case 控件类型::label:
      return style;
    case 控件类型::list_box:
      return style | WS_TABSTOP | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    case 控件类型::progress_bar:
      return style;
    case 控件类型::check_box:
      return style | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER;
  }
  return style;
}

const char* class_of(控件类型 kind) {
  switch (kind) {
    case 控件类型::button:
    case 控件类型::check_box:
      return "BUTTON";
    case 控件类型::label:
      return Win32Window::kLabelClass;
    case 控件类型::list_box:
      return "LISTBOX";
    case 控件类型::progress_bar:
      return PROGRESS_CLASSA;
  }
  return "STATIC";
}

DWORD ex_style_of(控件类型 kind) {
  if (kind == 控件类型::list_box) return WS_EX_CLIENTEDGE;
  if (kind == 控件类型::progress_bar) return WS_EX_STATICEDGE;
  return 0;
}

}  // namespace

Win32Window::Win32Window(HINSTANCE instance, FileSystem& fs) : instance_(instance), fs_(fs) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);

  WNDCLASSEXA main{};
  main.cbSize = sizeof(main);
  main.lpfnWndProc = &Win32Window::window_proc;
  main.hInstance = instance;
  main.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = kWindowClass;
  main.hIcon = static_cast<HICON>(
      ::LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  main.hIconSm = static_cast<HICON>(::LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  ::RegisterClassExA(&main);

  WNDCLASSEXA label{};
  label.cbSize = sizeof(label);
  label.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  label.lpfnWndProc = &Win32Window::label_proc;
  label.hInstance = instance;
  label.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  label.lpszClassName = kLabelClass;
  ::RegisterClassExA(&label);

  const Point corner =
      centred_on_screen(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  const std::string title = native_text(kWindowCaption);
  window_ = ::CreateWindowExA(
      0, kWindowClass, title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
      corner.left, corner.top, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, this);
  if (!window_) return;
  RECT outer;
  ::GetWindowRect(window_, &outer);
  if (outer.right - outer.left != kWindowWidth || outer.bottom - outer.top != kWindowHeight)
    ::SetWindowPos(window_, nullptr, corner.left, corner.top, kWindowWidth, kWindowHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  if (main.hIcon)
    ::SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(main.hIcon));
  if (main.hIconSm)
    ::SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(main.hIconSm));
  ::SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  create_controls();
}

Win32Window::~Win32Window() {
  if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
}

void Win32Window::create_controls() {
  const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& s : kControls) {
    const std::string text = native_text(s.text);
    const int id = kFirstControlId + static_cast<int>(s.id);
    HWND c = ::CreateWindowExA(
        ex_style_of(s.kind), class_of(s.kind), s.kind == 控件类型::label ? "" : text.c_str(),
        style_of(s), s.left, s.top, s.width, s.height, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    controls_[static_cast<std::size_t>(s.id)] = c;
    ::SendMessageA(c, WM_SETFONT, font, FALSE);
    if (s.kind == 控件类型::label) {
      LabelData* d = label_data(c);
      d->caption = text;
      d->credit = s.id == 控件::标签3;
      d->colour = d->credit ? RGB(0, 0, 255) : RGB(0, 0, 0);
    } else if (s.kind == 控件类型::list_box) {
      const LRESULT height = ::SendMessageA(c, LB_GETITEMHEIGHT, 0, 0);
      ::SendMessageA(c, LB_SETITEMHEIGHT, 0, MAKELPARAM(height + 1, 0));
    } else if (s.kind == 控件类型::progress_bar) {
      ::SendMessageA(c, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressStartMaximum));
      ::SendMessageA(c, PBM_SETPOS, 0, 0);
    }
  }
}

void Win32Window::show() {
  ::ShowWindow(window_, SW_SHOW);
  ::UpdateWindow(window_);
}

int Win32Window::run() {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (pretranslate(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}

bool Win32Window::pretranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !window_) return false;
  if (msg.hwnd != window_ && !::IsChild(window_, msg.hwnd)) return false;
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  const bool alt = ::GetKeyState(VK_MENU) < 0;
  switch (msg.wParam) {
    case VK_TAB:
      if (!ctrl && !alt) move_focus(!shift);
      return true;
    case VK_ESCAPE:
      if (ctrl || shift || alt) return false;
      ::PostMessageA(window_, WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN:
      // There is no default button: Enter does nothing.
      return !ctrl && !shift && !alt;
    default:
      return false;
  }
}

void Win32Window::move_focus(bool forward) {
  std::optional<控件> current;
  const HWND focus = ::GetFocus();
  for (const ControlSpec& s : kControls)
    if (control(s.id) == focus) current = s.id;
  const auto eligible = [this](控件 c) {
    return ::IsWindowVisible(control(c)) && ::IsWindowEnabled(control(c));
  };
  if (const auto next = next_in_tab_order(current, forward, eligible)) ::SetFocus(control(*next));
}

void Win32Window::focus_first() {
  if (last_focus_ && ::IsWindow(last_focus_) && ::IsWindowEnabled(last_focus_)) {
    ::SetFocus(last_focus_);
    return;
  }
  const auto eligible = [this](控件 c) {
    return ::IsWindowVisible(control(c)) && ::IsWindowEnabled(control(c));
  };
  if (const auto first = next_in_tab_order(std::nullopt, true, eligible))
    ::SetFocus(control(*first));
}

LRESULT CALLBACK Win32Window::window_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCCREATE) {
    auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    ::SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = h;
  }
  auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(h, m, wp, lp);
  return self->handle(m, wp, lp);
}

LRESULT Win32Window::handle(UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) {
        const int index = LOWORD(wp) - kFirstControlId;
        if (index >= 0 && index < static_cast<int>(kControls.size()))
          on_click(static_cast<控件>(index), *this, fs_);
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(window_, focus)) last_focus_ = focus;
      } else {
        focus_first();
      }
      return 0;
    case WM_SETFOCUS:
      focus_first();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window_, message, wp, lp);
  }
}

LRESULT CALLBACK Win32Window::label_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  LabelData* d = label_data(h);
  switch (m) {
    case WM_NCCREATE:
      ::SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new LabelData));
      break;
    case WM_NCDESTROY:
      delete d;
      ::SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      break;
    case WM_SETFONT:
      if (d) d->font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) ::InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(h, &ps);
      RECT r;
      ::GetClientRect(h, &r);
      ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
      if (d) {
        HGDIOBJ old = d->font ? ::SelectObject(dc, d->font) : nullptr;
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, d->colour);
        ::DrawTextA(dc, d->caption.c_str(), -1, &r,
                    DT_NOCLIP | DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        if (old) ::SelectObject(dc, old);
      }
      ::EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (d && d->credit) {
        const std::string address(kCreditAddress);
        ::ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      // The second press of a double click opens nothing.
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(h, m, wp, lp);
}

// --- Control operations ------------------------------------------------------------------------

std::string Win32Window::caption(控件 label) const {
  return label_data(control(label))->caption;
}

void Win32Window::set_caption(控件 label, const std::string& text) {
  label_data(control(label))->caption = text;
  ::InvalidateRect(control(label), nullptr, FALSE);
}

void Win32Window::set_disabled(控件 button, int flag) {
  ::EnableWindow(control(button), flag == 0 ? TRUE : FALSE);
}

int Win32Window::ticked(控件 box) const {
  return ::SendMessageA(control(box), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Window::set_maximum(控件, int maximum) {
  progress_.set_maximum(maximum);
  ::SendMessageA(control(控件::进度条1), PBM_SETRANGE, 0,
                 MAKELPARAM(progress_.range_low(), progress_.range_high()));
  apply_progress();
}

void Win32Window::set_position(控件, int position) {
  progress_.set_position(position);
  apply_progress();
}

void Win32Window::apply_progress() {
  HWND bar = control(控件::进度条1);
  ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(progress_.shown()), 0);
  // Painted now: the handler keeps the thread busy and no other message is handled.
  ::UpdateWindow(bar);
}

int Win32Window::position(控件) const {
  return progress_.position();
}

int Win32Window::shown_position() const {
  return static_cast<int>(::SendMessageA(control(控件::进度条1), PBM_GETPOS, 0, 0));
}

void Win32Window::clear(控件 list) {
  ::SendMessageA(control(list), LB_RESETCONTENT, 0, 0);
}

int Win32Window::add_item(控件 list, const std::string& text) {
  const LRESULT r =
      ::SendMessageA(control(list), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return r < 0 ? -1 : static_cast<int>(r);
}

int Win32Window::item_count(控件 list) const {
  return static_cast<int>(::SendMessageA(control(list), LB_GETCOUNT, 0, 0));
}

std::string Win32Window::item_text(控件 list, int index) const {
  if (index < 0 || index >= item_count(list)) return {};
  const LRESULT length = ::SendMessageA(control(list), LB_GETTEXTLEN, index, 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got =
      ::SendMessageA(control(list), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

void Win32Window::replace_dialogs(Browser browser, Messenger messenger) {
  browser_ = std::move(browser);
  messenger_ = std::move(messenger);
}

void Win32Window::message_box(const std::string& message) {
  if (messenger_) return messenger_(message);
  const std::string title = native_text(kMessageTitle);
  ::MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

namespace {

struct TopLevels {
  std::vector<HWND> disabled;
};

BOOL CALLBACK disable_enabled(HWND h, LPARAM lp) {
  if (::IsWindowEnabled(h)) {
    ::EnableWindow(h, FALSE);
    reinterpret_cast<TopLevels*>(lp)->disabled.push_back(h);
  }
  return TRUE;
}

}  // namespace

std::string Win32Window::browse_for_folder(const std::string& prompt) {
  if (browser_) return browser_(prompt);
  const HWND active = ::GetActiveWindow();
  const HWND foreground = ::GetForegroundWindow();
  TopLevels windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), disable_enabled, reinterpret_cast<LPARAM>(&windows));

  char display_name[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = ::IsWindow(active) ? active : nullptr;
  info.pidlRoot = nullptr;  // the desktop: the whole namespace
  info.pszDisplayName = display_name;
  info.lpszTitle = prompt.c_str();
  info.ulFlags = BIF_EDITBOX;
  PIDLIST_ABSOLUTE item = ::SHBrowseForFolderA(&info);

  for (HWND h : windows.disabled)
    if (::IsWindow(h)) ::EnableWindow(h, TRUE);
  if (foreground && ::IsWindow(foreground)) ::SetForegroundWindow(foreground);
  if (active && ::IsWindow(active)) ::SetActiveWindow(active);

  if (!item) return {};
  char path[MAX_PATH] = {};
  const bool is_folder = ::SHGetPathFromIDListA(item, path) != FALSE;
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
    allocator->Free(item);
    allocator->Release();
  }
  return is_folder ? std::string(path) : std::string();
}

}  // namespace orvane
