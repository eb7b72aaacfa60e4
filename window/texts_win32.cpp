// The program's texts in the ANSI code page, so that the A calls show them right.
#include <windows.h>

#include "window/texts.h"

namespace orvane {

std::string native_text(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = static_cast<int>(utf8.size());
  const int wide_size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, wide.data(), wide_size);
  const int size =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_size, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

}  // namespace orvane
