// The file-system layer over POSIX calls.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace orvane {

class PosixSearch;

class PosixFileSystem final : public FileSystem {
 public:
  // Name prefix of the temporary files a copy writes beside its target before renaming them
  // over it. Only an interrupted copy can leave one behind.
  static constexpr const char* kTemporaryPrefix = ".orvane-part-";
  // Sources of moves made by copying are removed in batches, once their copies are on disk.
  static constexpr std::size_t kBatchFiles = 1024;
  static constexpr std::uint64_t kBatchBytes = std::uint64_t{512} << 20;

  PosixFileSystem() = default;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;
  ~PosixFileSystem() override;

  char separator() const override { return '/'; }
  // UTF-8 never uses "/" inside a character, so no byte needs to be stepped over.
  bool is_lead_byte(unsigned char) const override { return false; }
  std::string source_folder_form(const std::string& picked) const override { return picked; }
  std::string child(const std::string& folder, const std::string& name) const override;
  std::size_t extension_start(const std::string& item) override;

  std::unique_ptr<DirectorySearch> open_search(const std::string& pattern) override;
  std::uint32_t attributes(const std::string& path) override;
  std::optional<FileId> identity(const std::string& path) override;

  bool create_folder(const std::string& path) override;
  bool copy_file(const std::string& from, const std::string& to) override;
  bool move_file(const std::string& from, const std::string& to) override;
  void finish_moves() override;

  // The attribute query answered by stat alone, without the entry just delivered.
  static std::uint32_t stat_attributes(const std::string& path);

 private:
  friend class PosixSearch;
  void remember(const PosixSearch* search, const std::string& name, unsigned char type);
  void forget(const PosixSearch* search);
  bool copy_replacing(const std::string& from, const std::string& to, dev_t* target_device);

  struct PendingRemoval {
    std::string source;
    dev_t source_device;
    ino_t source_inode;
    dev_t target_device;
    std::string target_folder;
  };

  const PosixSearch* last_search_ = nullptr;
  std::string last_name_;
  unsigned char last_type_ = 0;
  std::vector<PendingRemoval> pending_;
  std::uint64_t pending_bytes_ = 0;
};

}  // namespace orvane
