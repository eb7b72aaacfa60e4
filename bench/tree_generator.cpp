// Writes the trees the benchmarks sort: the same seed and count always give the same folders,
// names and contents.
//
//   orvane_bench_tree --root DIR --files N [--seed S] [--empty] [--groups DIR]
//   orvane_bench_tree --root DIR --big K [--big-mib M] [--seed S] [--groups DIR]
//
// The first form writes N files of 0 to 8 KiB (or empty ones with --empty) into folders up to
// eight levels deep; the second writes K files of M MiB (64 by default) in one folder. With
// --groups, the files are also listed by the folder of the destination that Orvane gives them:
// for each such folder, NNNN.dir holds its name (empty for the destination itself) and NNNN.lst
// the paths of its files relative to the root, each ended by a NUL byte, for `xargs -0`.
//
// A summary goes to standard output as key=value lines.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_rules.h"

namespace {

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "orvane_bench_tree: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

// splitmix64: small, fast and the same on every platform and library, unlike the distributions
// of <random>.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

 private:
  std::uint64_t state_;
};

struct Weighted {
  std::string_view text;
  double weight;
};

// What follows the stem of a file name. The weights give a mix like that of a home folder with
// photos, documents, sources and builds in it.
constexpr std::array<Weighted, 58> kTails = {{
    {".jpg", 12},
    {".JPG", 6},
    {".png", 6},
    {".jpeg", 1},
    {".gif", 1},
    {".heic", 1},
    {".txt", 8},
    {".TXT", 1},
    {".md", 3},
    {".pdf", 4},
    {".PDF", 1},
    {".docx", 3},
    {".xlsx", 2},
    {".pptx", 1},
    {".doc", 1},
    {".csv", 2},
    {".c", 4},
    {".h", 3},
    {".cpp", 3},
    {".hpp", 1},
    {".py", 3},
    {".js", 4},
    {".ts", 2},
    {".json", 4},
    {".JSON", 0.5},
    {".html", 2},
    {".css", 1},
    {".xml", 1},
    {".yml", 1},
    {".mp3", 2},
    {".MP3", 0.5},
    {".wav", 0.5},
    {".mp4", 1},
    {".MOV", 0.5},
    {".mkv", 0.5},
    {".zip", 1},
    {".7z", 0.3},
    {".log", 2},
    {".bak", 0.5},
    {".tmp", 0.5},
    {".o", 2},
    {".Png", 0.3},
    {".jPg", 0.2},
    {".tar.gz", 1.5},
    {".tar.bz2", 0.5},
    {".backup.JPG", 0.5},
    {".2024.01.png", 0.5},
    {".so.6", 0.3},
    {".min.js", 1},
    {".d.ts", 0.5},
    // No extension: no dot, a dot at the end, a space after the last dot.
    {"", 4},
    {".", 0.2},
    {".final draft", 0.3},
    {".pdf ", 0.1},
    // Non-ASCII extensions.
    {".文档", 0.2},
    {".ÄÖÜ", 0.1},
    {".caf\xe9", 0.1},
    {".Ωmega", 0.1},
}};

// Stems of file names and names of folders: ASCII, UTF-8 from several scripts, spaces and dots,
// and a few Latin-1 bytes that are not UTF-8 at all.
constexpr std::array<std::string_view, 40> kWords = {{
    "IMG",       "DSC",          "report",     "notes",        "main",    "index",    "util",
    "test",      "data",         "Screenshot", "invoice",      "README",  "Makefile", "LICENSE",
    "build",     "src",          "include",    "node_modules", "photos",  "2024",     "v1.2",
    "my docs",   "a b c",        "报告",       "照片",         "下载",    "文档",     "résumé",
    "Übersicht", "фото",         "музыка",     "Ελληνικά",     "日本語",  "한국어",   "🎵song",
    "emoji😀",    "r\xe9sum\xe9", "caf\xe9",    "na\xefve",     "Données",
}};

// Dotfiles: each name at most once in a tree, so that no two files share a target.
constexpr std::array<std::string_view, 16> kDotfiles = {{
    ".bashrc",
    ".profile",
    ".gitignore",
    ".DS_Store",
    ".env",
    ".npmrc",
    ".vimrc",
    ".inputrc",
    ".editorconfig",
    ".clang-format",
    ".gitattributes",
    ".htaccess",
    ".Xresources",
    ".zshrc",
    ".viminfo",
    ".lesshst",
}};

constexpr int kMaxFolderDepth = 7;  // files reach depth 8 below the root

class Writer {
 public:
  explicit Writer(Rng& rng) : pool_(1 << 20) {
    for (auto& b : pool_) b = static_cast<char>(rng.next() >> 56);
  }
  // A file of `size` bytes taken from the pool at `offset`.
  void write(const std::string& path, std::uint64_t size, std::size_t offset) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) fail("cannot create " + path);
    while (size > 0) {
      const std::size_t at = offset % (pool_.size() / 2);
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(size, pool_.size() / 2));
      const ssize_t w = ::write(fd, pool_.data() + at, n);
      if (w <= 0) fail("cannot write " + path);
      size -= static_cast<std::uint64_t>(w);
      offset += static_cast<std::size_t>(w);
    }
    if (::close(fd) != 0) fail("cannot close " + path);
  }

 private:
  std::vector<char> pool_;
};

struct Options {
  std::string root;
  std::string groups;
  std::uint64_t files = 0;
  std::uint64_t big = 0;
  std::uint64_t big_mib = 64;
  std::uint64_t seed = 1;
  bool empty = false;
};

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "orvane_bench_tree: %s needs a value\n", argv[i]);
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--root") {
      o.root = value();
    } else if (a == "--groups") {
      o.groups = value();
    } else if (a == "--files") {
      o.files = std::stoull(value());
    } else if (a == "--big") {
      o.big = std::stoull(value());
    } else if (a == "--big-mib") {
      o.big_mib = std::stoull(value());
    } else if (a == "--seed") {
      o.seed = std::stoull(value());
    } else if (a == "--empty") {
      o.empty = true;
    } else {
      std::fprintf(stderr, "orvane_bench_tree: unknown argument %s\n", argv[i]);
      std::exit(2);
    }
  }
  if (o.root.empty() || (o.files == 0) == (o.big == 0)) {
    std::fprintf(stderr,
                 "usage: orvane_bench_tree --root DIR (--files N [--empty] | --big K "
                 "[--big-mib M]) [--seed S] [--groups DIR]\n");
    std::exit(2);
  }
  return o;
}

std::string_view pick(Rng& rng, const auto& table, double total) {
  double r = rng.unit() * total;
  for (const Weighted& w : table) {
    if (r < w.weight) return w.text;
    r -= w.weight;
  }
  return table.back().text;
}

// The folder of the destination Orvane sorts `path` into, found by the program's own rule.
std::string destination_folder(const std::string& path) {
  const std::size_t dot = orvane::last_dot_extension(path, '/', orvane::no_lead_bytes);
  return dot + 1 < path.size() ? path.substr(dot + 1) : std::string();
}

struct Tree {
  std::vector<std::string> folders;  // relative to the root, "" for the root itself
  std::vector<int> depth;
  std::map<std::string, std::vector<std::string>> groups;  // destination folder -> files
  std::uint64_t data_bytes = 0;
  std::uint64_t path_bytes = 0;  // relative paths
  std::array<std::uint64_t, kMaxFolderDepth + 2> files_at_depth{};
};

void make_folder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) != 0) fail("cannot make " + path);
}

void write_small_tree(const Options& o, Rng& rng, Writer& writer, Tree& t) {
  // Folders: about one for every 30 files. A new folder hangs below the one made just before it
  // (long chains), below one of the first few (wide tops) or below any earlier one.
  const std::size_t folder_count = std::max<std::uint64_t>(1, o.files / 30);
  t.folders = {""};
  t.depth = {0};
  std::set<std::string> taken;
  for (std::size_t i = 1; i < folder_count; ++i) {
    std::size_t parent = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
      const double r = rng.unit();
      parent = r < 0.35 ? i - 1 : r < 0.55 ? rng.below(std::min<std::size_t>(i, 8)) : rng.below(i);
      if (t.depth[parent] < kMaxFolderDepth) break;
      parent = 0;
    }
    std::string name(kWords[rng.below(kWords.size())]);
    std::string rel = t.folders[parent].empty() ? name : t.folders[parent] + "/" + name;
    if (!taken.insert(rel).second) {
      rel += "_" + std::to_string(i);
      taken.insert(rel);
    }
    t.folders.push_back(rel);
    t.depth.push_back(t.depth[parent] + 1);
    make_folder(o.root + "/" + rel);
  }

  // Files go to folders by a heavy-tailed weight: most folders hold a few files, some hold
  // thousands, and one in twenty holds none.
  std::vector<double> cumulative(folder_count);
  double total = 0;
  for (std::size_t i = 0; i < folder_count; ++i) {
    const double u = 1.0 - rng.unit();
    total += u < 0.05 ? 0.0 : std::pow(u, -0.8);
    cumulative[i] = total;
  }
  double tails_total = 0;
  for (const Weighted& w : kTails) tails_total += w.weight;
  std::size_t dotfiles_used = 0;

  for (std::uint64_t n = 0; n < o.files; ++n) {
    const double r = rng.unit() * total;
    const std::size_t folder = static_cast<std::size_t>(
        std::upper_bound(cumulative.begin(), cumulative.end(), r) - cumulative.begin());
    const std::size_t f = std::min(folder, folder_count - 1);

    std::string name;
    if (rng.unit() < 0.015) {
      // A dotfile: a known name the first times, then hidden names with an extension.
      if (dotfiles_used < kDotfiles.size()) {
        name = kDotfiles[dotfiles_used++];
      } else {
        name = "." + std::string(kWords[rng.below(kWords.size())]) + "_" + std::to_string(n) +
               std::string(kTails[rng.below(20)].text);
      }
    } else {
      // Every stem carries the file's number, so no two files of a group share a name.
      name = std::string(kWords[rng.below(kWords.size())]) + "_" + std::to_string(n) +
             std::string(pick(rng, kTails, tails_total));
    }
    const std::string rel = t.folders[f].empty() ? name : t.folders[f] + "/" + name;

    std::uint64_t size = 0;
    if (!o.empty && rng.unit() >= 0.06) {
      const double u = rng.unit();
      size = static_cast<std::uint64_t>(8192 * u * u);
    }
    writer.write(o.root + "/" + rel, size, rng.below(1 << 19));
    t.data_bytes += size;
    t.path_bytes += rel.size();
    ++t.files_at_depth[static_cast<std::size_t>(t.depth[f] + 1)];
    if (!o.groups.empty()) t.groups[destination_folder(rel)].push_back(rel);
  }
}

void write_big_tree(const Options& o, Rng& rng, Writer& writer, Tree& t) {
  constexpr std::array<std::string_view, 4> kNames = {"disk-image.iso", "holiday.MKV",
                                                      "backup.tar.gz", "camera-raw.bin"};
  t.folders = {""};
  t.depth = {0};
  for (std::uint64_t n = 0; n < o.big; ++n) {
    const std::string_view base = kNames[n % kNames.size()];
    const std::size_t dot = base.find('.');
    const std::string rel =
        std::string(base.substr(0, dot)) + "_" + std::to_string(n) + std::string(base.substr(dot));
    const std::uint64_t size = o.big_mib << 20;
    writer.write(o.root + "/" + rel, size, rng.below(1 << 19));
    t.data_bytes += size;
    t.path_bytes += rel.size();
    ++t.files_at_depth[1];
    if (!o.groups.empty()) t.groups[destination_folder(rel)].push_back(rel);
  }
}

void write_groups(const std::string& dir, const Tree& t) {
  make_folder(dir);
  int number = 0;
  for (const auto& [folder, files] : t.groups) {
    char number_text[16];
    std::snprintf(number_text, sizeof number_text, "%04d", number++);
    const std::string stem = dir + "/" + number_text;
    std::string list;
    for (const std::string& f : files) {
      list += f;
      list += '\0';
    }
    for (const auto& [suffix, content] :
         {std::pair<const char*, const std::string*>{".dir", &folder}, {".lst", &list}}) {
      const std::string path = stem + suffix;
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd < 0) fail("cannot create " + path);
      if (!content->empty() &&
          ::write(fd, content->data(), content->size()) != static_cast<ssize_t>(content->size()))
        fail("cannot write " + path);
      ::close(fd);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse(argc, argv);
  Rng rng(o.seed * 0x2545F4914F6CDD1Dull + (o.big ? 2 : 1));
  Writer writer(rng);
  make_folder(o.root);
  Tree t;
  if (o.files)
    write_small_tree(o, rng, writer, t);
  else
    write_big_tree(o, rng, writer, t);
  if (!o.groups.empty()) write_groups(o.groups, t);

  std::uint64_t files = 0;
  for (std::uint64_t n : t.files_at_depth) files += n;
  std::printf("files=%llu\nfolders=%zu\ndata_bytes=%llu\nrelative_path_bytes=%llu\ngroups=%zu\n",
              static_cast<unsigned long long>(files), t.folders.size(),
              static_cast<unsigned long long>(t.data_bytes),
              static_cast<unsigned long long>(t.path_bytes), t.groups.size());
  std::printf("files_at_depth=");
  for (std::size_t d = 1; d < t.files_at_depth.size(); ++d)
    std::printf("%s%llu", d > 1 ? "," : "", static_cast<unsigned long long>(t.files_at_depth[d]));
  std::printf("\n");
  return 0;
}
