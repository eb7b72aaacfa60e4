// The file-system layer over the Windows ANSI calls.
#include "platform/file_system_win32.h"

#include <windows.h>

#include <string>

#include "platform/path_rules.h"

namespace orvane {
namespace {

// An owned handle from CreateFileA.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (ok()) ::CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// One folder being enumerated with FindFirstFileA / FindNextFileA.
class Win32Search final : public DirectorySearch {
 public:
  Win32Search(HANDLE h, const WIN32_FIND_DATAA& first) : h_(h), data_(first) {}
  ~Win32Search() override { ::FindClose(h_); }

  bool next(std::string& name, std::uint32_t& attributes) override {
    if (!first_pending_ && !::FindNextFileA(h_, &data_)) return false;
    first_pending_ = false;
    name = data_.cFileName;  // the long name, not the short alias
    attributes = data_.dwFileAttributes;
    return true;
  }

 private:
  HANDLE h_;
  WIN32_FIND_DATAA data_;
  bool first_pending_ = true;
};

bool ansi_lead_byte(unsigned char b) {
  return ::IsDBCSLeadByte(b) != 0;
}

void report_missing_function(const char* library, const char* function) {
  std::wstring text =
      L"\u627e\u4e0d\u5230\u7a0b\u5e8f\u6240\u9700\u7684\u51fd\u6570\uff0c"
      L"\u7a0b\u5e8f\u5c06\u9000\u51fa\u3002\n";  // 找不到程序所需的函数，程序将退出。
  for (const char* p = library; *p; ++p) text += static_cast<wchar_t>(*p);
  text += L": ";
  for (const char* p = function; *p; ++p) text += static_cast<wchar_t>(*p);
  ::MessageBoxW(nullptr, text.c_str(), L"OrvaneV1.0", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ::ExitProcess(static_cast<UINT>(-1));
}

}  // namespace

FARPROC bind_function(const char* library, const char* function, MissingFunction on_missing) {
  HMODULE module = ::LoadLibraryA(library);
  FARPROC f = module ? ::GetProcAddress(module, function) : nullptr;
  if (!f) (on_missing ? on_missing : report_missing_function)(library, function);
  return f;
}

bool Win32FileSystem::is_lead_byte(unsigned char b) const {
  return ansi_lead_byte(b);
}

std::string Win32FileSystem::source_folder_form(const std::string& picked) const {
  return drive_root_source_form(picked);
}

std::string Win32FileSystem::child(const std::string& folder, const std::string& name) const {
  return folder + "\\" + name;
}

std::size_t Win32FileSystem::extension_start(const std::string& item) {
  using FindExtension = char*(WINAPI*)(const char*);
  // Bound the first time a run needs it; it stays bound.
  static const auto find_extension =
      reinterpret_cast<FindExtension>(
      reinterpret_cast<void*>(bind_function("shlwapi.dll", "PathFindExtensionA")));
  const char* at = find_extension(item.c_str());
  return at ? static_cast<std::size_t>(at - item.c_str()) : item.size();
}

std::unique_ptr<DirectorySearch> Win32FileSystem::open_search(const std::string& pattern) {
  WIN32_FIND_DATAA first;
  const HANDLE h = ::FindFirstFileA(pattern.c_str(), &first);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Search>(h, first);
}

std::uint32_t Win32FileSystem::attributes(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a == INVALID_FILE_ATTRIBUTES ? attr::kInvalid : (a & 0x37);
}

std::optional<FileId> Win32FileSystem::identity(const std::string& path) {
  FileHandle h(::CreateFileA(path.c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!h.ok() || !::GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool Win32FileSystem::create_folder(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32FileSystem::copy_file(const std::string& from, const std::string& to) {
  // A target that is the source itself, or a hard link of it, would be truncated by the copy.
  if (::GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
    const auto source = identity(from);
    if (source && source == identity(to)) return false;
  }
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32FileSystem::move_file(const std::string& from, const std::string& to) {
  if (::MoveFileA(from.c_str(), to.c_str())) return true;
  if (!copy_file(from, to)) return false;
  // The source goes only once its copy is on disk.
  FileHandle copy(::CreateFileA(to.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!copy.ok() || !::FlushFileBuffers(copy.get())) return true;
  ::DeleteFileA(from.c_str());
  return true;
}

std::unique_ptr<FileSystem> make_system_file_system() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace orvane
