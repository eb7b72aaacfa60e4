// Fuzzes the scan over an in-memory tree built from the input: folders, files, folder links
// (back into the tree as well), entries delivered with odd attribute words, searches and
// attribute queries that fail. The scan must end, list only files under the source, each path
// once, keep one search open at a time, and list every file of a tree with none of these
// troubles.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "sorting/scan.h"
#include "tests/fake_file_system.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Reads the input a byte at a time, giving zeros at its end.
struct Bytes {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  bool more() const { return at < size; }
  unsigned next() { return at < size ? data[at++] : 0; }
};

constexpr std::size_t kMostNodes = 48;
constexpr int kMostLinks = 3;
constexpr std::size_t kMostListed = 1 << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using orvane::testing::FakeFileSystem;
  Bytes in{data, size};
  const unsigned options = in.next();
  FakeFileSystem::Options o;
  o.separator = (options & 1) ? '/' : '\\';
  o.gbk = (options & 2) != 0;
  o.case_insensitive = (options & 4) != 0;
  FakeFileSystem fs(o);
  const std::string sep(1, o.separator);

  const std::string root = "R";
  const std::string source = root + sep + "src";
  fs.folder(root, false);
  fs.folder(source, (options & 8) != 0);
  std::vector<std::string> folders = {source};
  std::set<std::string> files;
  bool troubled = false;
  int links = 0;

  for (std::size_t n = 0; in.more() && n < kMostNodes; ++n) {
    const unsigned op = in.next() % 8;
    const std::string& parent = folders[in.next() % folders.size()];
    // Names are unique, so that no two differ only in case.
    std::string name = "n" + std::to_string(n);
    const unsigned ext = in.next();
    if (ext & 1) name += ".e" + std::to_string(ext >> 5);
    if (ext & 2) name = "." + name;
    const std::string path = parent + sep + name;
    switch (op) {
      case 0:
      case 1:
        fs.folder(path, (ext & 4) != 0);
        folders.push_back(path);
        break;
      case 2:
      case 3:
        fs.file(path);
        files.insert(path);
        break;
      case 4:
        if (links < kMostLinks) {
          // A link to any folder, its own ancestors included, or to one outside the source.
          const unsigned to = in.next() % (folders.size() + 1);
          fs.link(path, to == folders.size() ? root : folders[to]);
          ++links;
          troubled = true;
        }
        break;
      case 5:
        // An entry delivered with a word of its own: hidden, system, read-only, or none of the
        // listed bits.
        if (ext & 8) {
          fs.folder(path, true, in.next() & 0xFF);
          folders.push_back(path);
        } else {
          fs.file(path, in.next() & 0xFF);
          files.insert(path);
        }
        troubled = true;
        break;
      case 6:
        fs.fail_search(folders[in.next() % folders.size()]);
        troubled = true;
        break;
      case 7:
        fs.fail_attributes(path);
        fs.file(path);
        files.insert(path);
        troubled = true;
        break;
    }
  }

  std::vector<std::string> listed;
  orvane::列出文件(source, fs, [&](const std::string& p) {
    require(listed.size() < kMostListed);
    listed.push_back(p);
  });

  require(fs.open_searches() == 0);
  require(fs.most_open_searches() <= 1);
  const std::set<std::string> unique(listed.begin(), listed.end());
  require(unique.size() == listed.size());
  for (const std::string& p : listed) {
    require(p.starts_with(source + sep));
    require(fs.is_file(p));
  }
  if (!troubled) require(unique == files);
  return 0;
}
