// Real temporary folders for the tests of the POSIX layer.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <functional>

#include <string>
#include <vector>

namespace orvane::testing {

// A fresh folder, removed with all it holds (permissions restored first) when the test ends.
class TempDir {
 public:
  explicit TempDir(const std::string& parent = "");
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rest) const { return path_ + "/" + rest; }

 private:
  std::string path_;
};

void make_dirs(const std::string& path);
void write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);  // "<missing>" when it cannot be read
bool exists(const std::string& path);            // without following a final link
// Every regular file under `root`, as paths relative to it, sorted.
std::vector<std::string> files_under(const std::string& root);
void remove_tree(const std::string& path);

}  // namespace orvane::testing

namespace orvane::testing {

// Runs `check` as an unprivileged user (nobody) when the tests run as root, so that permission
// bits are honoured; directly otherwise. True when `check` returned true.
bool as_unprivileged_user(const std::function<bool()>& check);

}  // namespace orvane::testing

namespace orvane::testing {

// Sets the file size limit of this process for its lifetime, with SIGXFSZ ignored so that
// crossing it fails the write with EFBIG instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_handler_);
  }

 private:
  struct rlimit saved_ {};
  void (*old_handler_)(int) = nullptr;
};

}  // namespace orvane::testing
