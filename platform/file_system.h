// The file-system layer the sorting code is written against. One implementation per operating
// system (file_system_posix.cpp, file_system_win32.cpp); tests use in-memory fakes.
//
// Paths and names are byte strings in the platform's own encoding (UTF-8 or raw bytes on Linux,
// the ANSI code page on Windows), never converted.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orvane {

// Attribute bits as Windows reports them; the POSIX layer maps its file types onto the same word.
namespace attr {
constexpr std::uint32_t kReadOnly = 0x01;
constexpr std::uint32_t kHidden = 0x02;
constexpr std::uint32_t kSystem = 0x04;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kReparsePoint = 0x400;
constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;
}  // namespace attr

// An open enumeration of one folder. Destroying it closes it.
class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;
  // The next entry in the order the system delivers them: its own name and the attribute word
  // that came with it. False at the end of the folder or on any failure.
  virtual bool next(std::string& name, std::uint32_t& attributes) = 0;
};

// The caller-owned variable that holds an open search, if any, and the attribute word that came
// with the entry it gave last.
struct SearchHandle {
  std::unique_ptr<DirectorySearch> open;
  std::uint32_t attributes = 0;
};

// Who a file or folder is, independent of the path used to reach it.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
  friend auto operator<=>(const FileId&, const FileId&) = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // --- Text forms of this platform -------------------------------------------------------------
  virtual char separator() const = 0;
  // True when byte `b` opens a two-byte character in the platform's code page.
  virtual bool is_lead_byte(unsigned char b) const = 0;
  // The form in which a folder picked as the source is held (a Windows drive root "C:\" -> "C:").
  virtual std::string source_folder_form(const std::string& picked) const = 0;
  // The path of `name` inside the scanned folder `folder`.
  virtual std::string child(const std::string& folder, const std::string& name) const = 0;
  // Byte offset in `item` where its file name's extension (its dot) starts, or item.size().
  virtual std::size_t extension_start(const std::string& item) = 0;

  // --- Scan ------------------------------------------------------------------------------------
  // Opens an enumeration of every entry matching `pattern` (a folder's child "*.*"), or null.
  virtual std::unique_ptr<DirectorySearch> open_search(const std::string& pattern) = 0;
  // The attribute word of `path`, following links, reduced to the bits of 0x37; attr::kInvalid
  // when it cannot be read.
  virtual std::uint32_t attributes(const std::string& path) = 0;
  // Identity of the file or folder at `path`, following links; nothing when it cannot be read.
  virtual std::optional<FileId> identity(const std::string& path) = 0;

  // --- Run -------------------------------------------------------------------------------------
  // Makes one folder whose parent exists. False when it exists already or cannot be made.
  virtual bool create_folder(const std::string& path) = 0;
  // Copies the file `from` to `to`, replacing a file that stands there.
  virtual bool copy_file(const std::string& from, const std::string& to) = 0;
  // Moves the file `from` to `to`: a plain move that never replaces anything, else a copy that
  // replaces the target followed by the removal of the source once the copy is safe.
  virtual bool move_file(const std::string& from, const std::string& to) = 0;
  // Completes what moves have left pending (sources whose removal waits for their copies to be
  // on disk). Called once at the end of a run, before it reports.
  virtual void finish_moves() = 0;
};

// The real file system of the platform this program was built for.
std::unique_ptr<FileSystem> make_system_file_system();

}  // namespace orvane
