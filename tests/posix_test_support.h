// Real temporary folders for the tests of the POSIX layer.
#pragma once

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

#include <functional>

namespace orvane::testing {

// Runs `check` as an unprivileged user (nobody) when the tests run as root, so that permission
// bits are honoured; directly otherwise. True when `check` returned true.
bool as_unprivileged_user(const std::function<bool()>& check);

}  // namespace orvane::testing
