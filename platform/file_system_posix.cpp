// The file-system layer over POSIX calls (Linux).
#include "platform/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/path_rules.h"

namespace orvane {
namespace {

// An owned file descriptor.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now and says whether the close succeeded; a failed close can mean lost data.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_ = -1;
};

// A temporary file that is removed unless it was put in place.
class Temporary {
 public:
  explicit Temporary(std::string path) : path_(std::move(path)) {}
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  const std::string& path() const { return path_; }
  void keep() { path_.clear(); }

 private:
  std::string path_;
};

constexpr const char* kPattern = "*.*";

std::uint32_t word_for(unsigned char type, const std::string& name) {
  const std::uint32_t hidden = (!name.empty() && name[0] == '.') ? attr::kHidden : 0;
  switch (type) {
    case DT_DIR:
      return attr::kDirectory | hidden;
    case DT_REG:
      return attr::kArchive | hidden;
    case DT_LNK:
      // The attribute query follows the link and decides whether it is a file or a folder.
      return attr::kArchive | attr::kReparsePoint | hidden;
    default:
      // FIFOs, sockets and devices carry none of the listed bits: they are never listed.
      return 0x40;
  }
}

bool retryable_copy_error(int e) {
  return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP || e == EBADF || e == EPERM;
}

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool copy_by_read_write(int in, int out) {
  std::vector<char> buffer(1 << 18);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!write_all(out, buffer.data(), static_cast<std::size_t>(n))) return false;
  }
}

// Copies all bytes of `in` (at offset 0) to the empty file `out`.
bool copy_contents(int in, int out, const struct stat& in_stat) {
  // Some files report a size of 0 and still have contents (procfs and the like): read them.
  if (in_stat.st_size == 0) return copy_by_read_write(in, out);
  if (::ioctl(out, FICLONE, in) == 0) return true;
  bool copied_any = false;
  for (;;) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
    if (n > 0) {
      copied_any = true;
      continue;
    }
    if (n == 0) return true;
    if (errno == EINTR) continue;
    if (!copied_any && retryable_copy_error(errno)) return copy_by_read_write(in, out);
    return false;
  }
}

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

// One folder being enumerated.
class PosixSearch final : public DirectorySearch {
 public:
  PosixSearch(PosixFileSystem& owner, DIR* dir, std::string prefix)
      : owner_(owner), dir_(dir), prefix_(std::move(prefix)) {}
  ~PosixSearch() override {
    owner_.forget(this);
    ::closedir(dir_);
  }

  bool next(std::string& name, std::uint32_t& attributes) override {
    const dirent* e = ::readdir(dir_);
    if (!e) return false;
    name = e->d_name;
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st;
      if (::fstatat(::dirfd(dir_), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        type = static_cast<unsigned char>(IFTODT(st.st_mode));
    }
    attributes = word_for(type, name);
    owner_.remember(this, name, type);
    return true;
  }

  const std::string& prefix() const { return prefix_; }

 private:
  PosixFileSystem& owner_;
  DIR* dir_;
  std::string prefix_;  // the folder's path with its separator: entry paths are prefix + name
};

PosixFileSystem::~PosixFileSystem() {
  finish_moves();
}

std::string PosixFileSystem::child(const std::string& folder, const std::string& name) const {
  // The root "/" already ends in the separator: its entries are "/name".
  if (!folder.empty() && folder.back() == '/') return folder + name;
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += '/';
  path += name;
  return path;
}

std::size_t PosixFileSystem::extension_start(const std::string& item) {
  return last_dot_extension(item, '/', no_lead_bytes);
}

std::unique_ptr<DirectorySearch> PosixFileSystem::open_search(const std::string& pattern) {
  const std::string_view p(pattern);
  const std::string_view suffix(kPattern);
  if (p.size() < suffix.size() || p.substr(p.size() - suffix.size()) != suffix) return nullptr;
  std::string prefix(p.substr(0, p.size() - suffix.size()));
  if (prefix.empty()) return nullptr;
  const int fd = ::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixSearch>(*this, dir, std::move(prefix));
}

void PosixFileSystem::remember(const PosixSearch* search, const std::string& name,
                               unsigned char type) {
  last_search_ = search;
  last_name_ = name;
  last_type_ = type;
}

void PosixFileSystem::forget(const PosixSearch* search) {
  if (last_search_ == search) last_search_ = nullptr;
}

std::uint32_t PosixFileSystem::attributes(const std::string& path) {
  // The entry just delivered, when it is a plain file or folder, answers for its own path as a
  // stat would: this saves one system call per entry of the scan.
  if (last_search_ && (last_type_ == DT_REG || last_type_ == DT_DIR)) {
    const std::string& prefix = last_search_->prefix();
    if (path.size() == prefix.size() + last_name_.size() &&
        path.compare(0, prefix.size(), prefix) == 0 &&
        path.compare(prefix.size(), std::string::npos, last_name_) == 0)
      return last_type_ == DT_DIR ? attr::kDirectory : attr::kArchive;
  }
  return stat_attributes(path);
}

std::uint32_t PosixFileSystem::stat_attributes(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return attr::kInvalid;
  return S_ISDIR(st.st_mode) ? attr::kDirectory : attr::kArchive;
}

std::optional<FileId> PosixFileSystem::identity(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool PosixFileSystem::create_folder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

bool PosixFileSystem::copy_file(const std::string& from, const std::string& to) {
  return copy_replacing(from, to, nullptr);
}

bool PosixFileSystem::copy_replacing(const std::string& from, const std::string& to,
                                     dev_t* target_device) {
  // Only a regular file is read; opening without blocking keeps a FIFO from stalling the run.
  Fd in(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!in.ok()) return false;
  struct stat in_stat;
  if (::fstat(in.get(), &in_stat) != 0 || !S_ISREG(in_stat.st_mode)) return false;

  struct stat to_stat;
  const bool standing = ::lstat(to.c_str(), &to_stat) == 0;
  const bool target_free = !standing && errno == ENOENT;
  if (standing) {
    if (S_ISDIR(to_stat.st_mode)) return false;
    // The target is the source itself or a hard link of it: writing would destroy it.
    if (to_stat.st_dev == in_stat.st_dev && to_stat.st_ino == in_stat.st_ino) return false;
  }

  // Writes the whole copy into `out` with the source's permission bits and times.
  struct stat out_stat;
  const auto fill = [&](int out) {
    if (!copy_contents(in.get(), out, in_stat)) return false;
    if (::fchmod(out, in_stat.st_mode & 07777) != 0 && ::fchmod(out, in_stat.st_mode & 0777) != 0)
      return false;
    const struct timespec times[2] = {in_stat.st_atim, in_stat.st_mtim};
    return ::futimens(out, times) == 0 && ::fstat(out, &out_stat) == 0;
  };
  const std::string folder = folder_of(to);

  if (target_free) {
    // Nothing to replace: the copy is written into an unnamed file in the target's folder and
    // given its name once complete. That costs one directory change instead of three, a crash
    // leaves nothing behind, and the naming fails rather than replace a file that appeared
    // meanwhile (the copy below then replaces it).
    Fd out(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (out.ok()) {
      if (!fill(out.get())) return false;
      const std::string self = "/proc/self/fd/" + std::to_string(out.get());
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        if (!out.close()) {
          ::unlink(to.c_str());
          return false;
        }
        if (target_device) *target_device = out_stat.st_dev;
        return true;
      }
      if (::lseek(in.get(), 0, SEEK_SET) != 0) return false;
    }
  }

  // The copy is written beside the target and renamed over it, so that an old target stays
  // whole until the new one is complete.
  std::string name = folder + "/" + kTemporaryPrefix + "XXXXXX";
  Fd out(::mkostemp(name.data(), O_CLOEXEC));
  if (!out.ok()) return false;
  Temporary temporary(name);
  if (!fill(out.get())) return false;
  if (!out.close()) return false;
  if (::rename(temporary.path().c_str(), to.c_str()) != 0) return false;
  temporary.keep();
  if (target_device) *target_device = out_stat.st_dev;
  return true;
}

bool PosixFileSystem::move_file(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS) {
    // A file system without the no-replace flag: a hard link fails the same way on a target.
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return true;
    }
  }

  // The copy that stands in for the move. The source is removed only once the copy is on disk
  // (finish_moves), and only if it is still the file that was copied.
  struct stat source;
  if (::lstat(from.c_str(), &source) != 0) return false;
  dev_t target_device = 0;
  if (!copy_replacing(from, to, &target_device)) return false;
  pending_.push_back({from, source.st_dev, source.st_ino, target_device, folder_of(to)});
  pending_bytes_ += static_cast<std::uint64_t>(source.st_size);
  if (pending_.size() >= kBatchFiles || pending_bytes_ >= kBatchBytes) finish_moves();
  return true;
}

void PosixFileSystem::finish_moves() {
  if (pending_.empty()) return;
  // Flush each target file system once for the whole batch.
  std::map<dev_t, bool> flushed;
  for (const PendingRemoval& p : pending_) {
    if (flushed.count(p.target_device)) continue;
    Fd folder(::open(p.target_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    flushed[p.target_device] = folder.ok() && ::syncfs(folder.get()) == 0;
  }
  for (const PendingRemoval& p : pending_) {
    if (!flushed[p.target_device]) continue;  // not known to be safe: the source stays
    struct stat now;
    if (::lstat(p.source.c_str(), &now) == 0 && now.st_dev == p.source_device &&
        now.st_ino == p.source_inode)
      ::unlink(p.source.c_str());
  }
  pending_.clear();
  pending_bytes_ = 0;
}

std::unique_ptr<FileSystem> make_system_file_system() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace orvane
