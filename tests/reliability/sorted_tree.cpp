#include "tests/reliability/sorted_tree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "platform/file_system_posix.h"

namespace orvane::testing {

std::string distinct_bytes(std::size_t size, unsigned seed) {
  std::string s(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    s[i] = static_cast<char>(x & 0xFF);
  }
  return s;
}

RunPlaces::RunPlaces(bool across) {
  if (!across) {
    src_root = std::make_unique<TempDir>();
    src = src_root->path() + "/src";
    dst = src_root->path() + "/dst";
  } else {
    struct stat shm, cwd;
    char here[4096];
    if (::stat("/dev/shm", &shm) != 0 || !S_ISDIR(shm.st_mode)) {
      reason = "/dev/shm does not exist on this machine";
      return;
    }
    if (!::getcwd(here, sizeof here) || ::stat(here, &cwd) != 0) {
      reason = "the working folder cannot be read";
      return;
    }
    if (shm.st_dev == cwd.st_dev) {
      reason = "/dev/shm is on the same file system as the build folder";
      return;
    }
    src_root = std::make_unique<TempDir>("/dev/shm");
    dst_root = std::make_unique<TempDir>(here);
    src = src_root->path() + "/src";
    dst = dst_root->path() + "/dst";
  }
  make_dirs(src);
  make_dirs(dst);
}

namespace {
std::string folder_of(const std::string& path) {
  return path.substr(0, path.rfind('/'));
}
std::string name_of(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}
}  // namespace

void SortedTree::write() const {
  for (const SourceFile& f : files) {
    make_dirs(folder_of(src + "/" + f.rel));
    write_file(src + "/" + f.rel, f.content);
  }
  for (const auto& [target, content] : old_targets) {
    make_dirs(folder_of(dst + "/" + target));
    write_file(dst + "/" + target, content);
  }
}

std::vector<std::string> SortedTree::items() const {
  std::vector<std::string> out;
  for (const SourceFile& f : files) out.push_back(src + "/" + f.rel);
  return out;
}

std::string SortedTree::damage(bool copying, bool temporaries_allowed) const {
  std::string wrong;
  const auto note = [&wrong](const std::string& what) { wrong += what + "\n"; };

  for (const SourceFile& f : files) {
    const std::string at_source = read_file(src + "/" + f.rel);
    if (at_source == f.content) continue;
    if (copying) note("copying changed or removed the source " + f.rel);
    if (at_source != "<missing>") note("source " + f.rel + " holds other bytes");
    if (read_file(dst + "/" + f.target) != f.content) note("lost: " + f.rel);
  }

  for (const std::string& rel : files_under(dst)) {
    if (name_of(rel).starts_with(PosixFileSystem::kTemporaryPrefix)) {
      if (!temporaries_allowed) note("temporary left: " + rel);
      continue;
    }
    const std::string content = read_file(dst + "/" + rel);
    bool known = false;
    const auto old = old_targets.find(rel);
    if (old != old_targets.end() && old->second == content) known = true;
    for (const SourceFile& f : files)
      if (f.target == rel && f.content == content) known = true;
    if (!known) note("damaged or unknown file at the destination: " + rel);
  }

  std::set<std::string> sources;
  for (const SourceFile& f : files) sources.insert(f.rel);
  for (const std::string& rel : files_under(src)) {
    if (!sources.count(rel)) note("file appeared under the source: " + rel);
  }
  return wrong;
}

std::vector<std::string> temporaries(const std::string& root) {
  std::vector<std::string> out;
  for (const std::string& rel : files_under(root))
    if (name_of(rel).starts_with(PosixFileSystem::kTemporaryPrefix)) out.push_back(rel);
  return out;
}

}  // namespace orvane::testing
