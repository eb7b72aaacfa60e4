// Temporary folders for the tests under Windows.
#pragma once

#include <windows.h>

#include <string>

namespace orvane::testing {

// A fresh folder under the temporary folder, removed with what it holds at the end.
class Win32TempDir {
 public:
  Win32TempDir() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    path_ = std::string(base) + "orvane-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount64()) + "-" + std::to_string(++counter);
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~Win32TempDir() { remove(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rest) const { return path_ + "\\" + rest; }

  static void remove(const std::string& path) {
    WIN32_FIND_DATAA d;
    HANDLE h = ::FindFirstFileA((path + "\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = d.cFileName;
        if (name == "." || name == "..") continue;
        const std::string p = path + "\\" + name;
        ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          remove(p);
        } else {
          ::DeleteFileA(p.c_str());
        }
      } while (::FindNextFileA(h, &d));
      ::FindClose(h);
    }
    ::RemoveDirectoryA(path.c_str());
  }

 private:
  std::string path_;
};

inline bool write_file(const std::string& path, const std::string& content) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(h);
  return ok && written == content.size();
}

inline std::string read_file(const std::string& path) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buf[4096];
  DWORD n = 0;
  while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  ::CloseHandle(h);
  return out;
}

inline bool exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace orvane::testing
