// The file-system layer over the Windows ANSI calls.
#pragma once

#include <windows.h>

#include "platform/file_system.h"

namespace orvane {

// What happens when a library function the program binds by name is missing: by default a fatal
// message that names both, and the program ends.
using MissingFunction = void (*)(const char* library, const char* function);
FARPROC bind_function(const char* library, const char* function,
                      MissingFunction on_missing = nullptr);

class Win32FileSystem final : public FileSystem {
 public:
  char separator() const override { return '\\'; }
  bool is_lead_byte(unsigned char b) const override;
  std::string source_folder_form(const std::string& picked) const override;
  std::string child(const std::string& folder, const std::string& name) const override;
  std::size_t extension_start(const std::string& item) override;

  std::unique_ptr<DirectorySearch> open_search(const std::string& pattern) override;
  std::uint32_t attributes(const std::string& path) override;
  std::optional<FileId> identity(const std::string& path) override;

  bool create_folder(const std::string& path) override;
  bool copy_file(const std::string& from, const std::string& to) override;
  bool move_file(const std::string& from, const std::string& to) override;
  void finish_moves() override {}
};

}  // namespace orvane
