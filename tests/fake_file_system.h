// An in-memory file system for tests. The test sets the order in which each folder delivers its
// entries, the attribute word delivered with each entry, folder links, and failures; the fake
// counts open searches and records the run's operations.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_rules.h"

namespace orvane::testing {

class FakeFileSystem : public FileSystem {
 public:
  struct Options {
    char separator = '\\';
    bool gbk = false;               // GBK lead bytes 0x81..0xFE
    bool case_insensitive = false;  // names compare without case, as on Windows
    bool drive_roots = true;        // a picked "C:\" is held as "C:"
  };

  FakeFileSystem() : FakeFileSystem(Options{}) {}
  explicit FakeFileSystem(Options options) : o_(options) {}

  // --- Building the tree --------------------------------------------------------------------
  // A folder; its parent must exist unless it is a root (no separator in it). With `dots`, its
  // search delivers "." and ".." first, as Windows does below a drive root.
  void folder(const std::string& path, bool dots = true,
              std::uint32_t delivered = attr::kDirectory) {
    Node& n = make(path, Kind::folder, delivered);
    if (dots) {
      n.entries.push_back({".", attr::kDirectory});
      n.entries.push_back({"..", attr::kDirectory});
    }
  }
  void file(const std::string& path, std::uint32_t delivered = attr::kArchive,
            std::string content = "data") {
    make(path, Kind::file, delivered).content = std::move(content);
  }
  // A folder link at `path` leading to the folder `target`.
  void link(const std::string& path, const std::string& target) {
    make(path, Kind::link, attr::kDirectory | attr::kReparsePoint).target = target;
  }
  void fail_search(const std::string& folder) { failing_searches_.insert(key(folder)); }
  void fail_attributes(const std::string& path) { failing_attributes_.insert(key(path)); }
  void fail_copy_to(const std::string& target) { failing_copies_.insert(key(target)); }

  // --- What the test reads back -------------------------------------------------------------
  bool exists(const std::string& path) const { return resolve(path) != nullptr; }
  bool is_file(const std::string& path) const {
    const Node* n = resolve(path);
    return n && n->kind == Kind::file;
  }
  std::string content(const std::string& path) const {
    const Node* n = resolve(path);
    return n && n->kind == Kind::file ? n->content : "<none>";
  }
  int open_searches() const { return open_searches_; }
  int most_open_searches() const { return most_open_searches_; }
  int searches_opened() const { return searches_opened_; }
  int attribute_queries() const { return attribute_queries_; }
  const std::vector<std::string>& log() const { return log_; }

  // --- FileSystem ---------------------------------------------------------------------------
  char separator() const override { return o_.separator; }
  bool is_lead_byte(unsigned char b) const override { return o_.gbk && b >= 0x81 && b <= 0xFE; }
  std::string source_folder_form(const std::string& picked) const override {
    return o_.drive_roots ? drive_root_source_form(picked) : picked;
  }
  std::string child(const std::string& folder, const std::string& name) const override {
    return folder + o_.separator + name;
  }
  std::size_t extension_start(const std::string& item) override {
    log_.push_back("extension " + item);
    return last_dot_extension(
        item, o_.separator,
        o_.gbk ? +[](unsigned char b) { return b >= 0x81 && b <= 0xFE; } : no_lead_bytes);
  }

  std::unique_ptr<DirectorySearch> open_search(const std::string& pattern) override {
    const std::string suffix = std::string(1, o_.separator) + "*.*";
    if (pattern.size() < suffix.size() ||
        pattern.compare(pattern.size() - suffix.size(), suffix.size(), suffix) != 0)
      return nullptr;
    const std::string folder = pattern.substr(0, pattern.size() - suffix.size());
    if (failing_searches_.count(key(folder))) return nullptr;
    const Node* n = resolve(folder);
    if (!n || n->kind != Kind::folder) return nullptr;
    ++searches_opened_;
    return std::make_unique<Search>(*this, n->entries);
  }

  std::uint32_t attributes(const std::string& path) override {
    ++attribute_queries_;
    if (failing_attributes_.count(key(path))) return attr::kInvalid;
    const std::string last = last_component(path);
    if (last == "." || last == "..") return attr::kDirectory;
    const Node* n = resolve(path);
    if (!n) return attr::kInvalid;
    if (n->kind == Kind::folder) return attr::kDirectory;
    return n->delivered & 0x37 & ~attr::kDirectory;
  }

  std::optional<FileId> identity(const std::string& path) override {
    const Node* n = resolve(path);
    if (!n) return std::nullopt;
    return FileId{1, n->id};
  }

  bool create_folder(const std::string& path) override {
    log_.push_back("create_folder " + path);
    const std::string p = collapse(path);
    if (resolve(p) || !parent_is_folder(p)) return false;
    folder(p, true);
    return true;
  }

  bool copy_file(const std::string& from, const std::string& to) override {
    log_.push_back("copy " + from + " -> " + to);
    return copy(from, to);
  }

  bool move_file(const std::string& from, const std::string& to) override {
    log_.push_back("move " + from + " -> " + to);
    const std::string t = collapse(to);
    const Node* source = resolve(from);
    if (!source || source->kind != Kind::file) return false;
    if (!resolve(t) && parent_is_folder(t)) {
      Node moved = *source;
      remove(from);
      place(t, std::move(moved));
      return true;
    }
    if (!copy(from, to)) return false;
    remove(from);
    return true;
  }

  void finish_moves() override { log_.push_back("finish_moves"); }

 private:
  enum class Kind { folder, file, link };
  struct Entry {
    std::string name;
    std::uint32_t delivered;
  };
  struct Node {
    Kind kind;
    std::uint32_t delivered;
    std::uint64_t id;
    std::string name;  // as spelled when made
    std::string self;  // its key
    std::string content;
    std::string target;          // link
    std::vector<Entry> entries;  // folder, in delivery order
  };

  class Search final : public DirectorySearch {
   public:
    Search(FakeFileSystem& fs, std::vector<Entry> entries) : fs_(fs), entries_(std::move(entries)) {
      fs_.most_open_searches_ = std::max(fs_.most_open_searches_, ++fs_.open_searches_);
    }
    ~Search() override { --fs_.open_searches_; }
    bool next(std::string& name, std::uint32_t& attributes) override {
      if (at_ >= entries_.size()) return false;
      name = entries_[at_].name;
      attributes = entries_[at_].delivered;
      ++at_;
      return true;
    }

   private:
    FakeFileSystem& fs_;
    std::vector<Entry> entries_;
    std::size_t at_ = 0;
  };

  std::string key(const std::string& path) const {
    std::string k = collapse(path);
    if (o_.case_insensitive)
      std::transform(k.begin(), k.end(), k.begin(),
                     [](unsigned char c) { return std::tolower(c); });
    return k;
  }
  // A run of separators reads as one, as the platforms do, and a trailing one adds nothing.
  std::string collapse(const std::string& path) const {
    std::string out;
    for (char c : path)
      if (!(c == o_.separator && !out.empty() && out.back() == o_.separator)) out += c;
    if (out.size() > 1 && out.back() == o_.separator) out.pop_back();
    return out;
  }
  std::string last_component(const std::string& path) const {
    const auto at = path.rfind(o_.separator);
    return at == std::string::npos ? path : path.substr(at + 1);
  }
  std::string parent(const std::string& path) const {
    const auto at = path.rfind(o_.separator);
    return at == std::string::npos ? std::string() : path.substr(0, at);
  }
  bool parent_is_folder(const std::string& path) const {
    const Node* p = resolve(parent(path));
    return p && p->kind == Kind::folder;
  }

  // Follows folder links along the path; the node the whole path names, or null.
  const Node* resolve(const std::string& path) const {
    std::string at;
    const Node* n = nullptr;
    std::size_t begin = 0;
    const std::string p = collapse(path);
    for (int hops = 0; begin <= p.size() && hops < 4096; ++hops) {
      const std::size_t end = std::min(p.find(o_.separator, begin), p.size());
      at += (at.empty() ? "" : std::string(1, o_.separator)) + p.substr(begin, end - begin);
      auto it = nodes_.find(key(at));
      if (it == nodes_.end()) return nullptr;
      n = &it->second;
      for (int follow = 0; n->kind == Kind::link && follow < 64; ++follow) {
        at = n->target;
        it = nodes_.find(key(at));
        if (it == nodes_.end()) return nullptr;
        n = &it->second;
      }
      begin = end + 1;
    }
    return n;
  }
  // The resolved folder of the parent, joined with the last name.
  std::string canonical(const std::string& path) const {
    const std::string par = parent(collapse(path));
    const Node* p = par.empty() ? nullptr : resolve(par);
    return p ? p->self + o_.separator + last_component(path) : collapse(path);
  }

  Node& make(const std::string& path, Kind kind, std::uint32_t delivered) {
    const std::string k = key(path);
    Node& n = nodes_[k];
    n = Node{kind, delivered, ++next_id_, last_component(path), k, {}, {}, {}};
    const std::string par = parent(collapse(path));
    if (!par.empty()) {
      auto it = nodes_.find(key(par));
      if (it != nodes_.end()) it->second.entries.push_back({n.name, delivered});
    }
    return n;
  }
  void place(const std::string& path, Node node) {
    node.name = last_component(path);
    const std::string k = key(canonical(path));
    node.self = k;
    nodes_[k] = std::move(node);
    const std::string par = parent(k);
    auto it = nodes_.find(par);
    if (it != nodes_.end()) it->second.entries.push_back({nodes_[k].name, nodes_[k].delivered});
  }
  void remove(const std::string& path) {
    const std::string k = key(canonical(path));
    const std::string name = nodes_[k].name;
    nodes_.erase(k);
    auto it = nodes_.find(parent(k));
    if (it != nodes_.end()) {
      auto& e = it->second.entries;
      e.erase(std::remove_if(e.begin(), e.end(), [&](const Entry& x) { return x.name == name; }),
              e.end());
    }
  }
  bool copy(const std::string& from, const std::string& to) {
    const std::string t = collapse(to);
    if (failing_copies_.count(key(t))) return false;
    const Node* source = resolve(from);
    if (!source || source->kind != Kind::file || !parent_is_folder(t)) return false;
    const Node* standing = resolve(t);
    if (standing && (standing == source || standing->kind == Kind::folder)) return false;
    if (standing) {
      const_cast<Node*>(standing)->content = source->content;
      const_cast<Node*>(standing)->id = ++next_id_;
      return true;
    }
    Node copy = *source;
    copy.id = ++next_id_;
    place(t, std::move(copy));
    return true;
  }

  Options o_;
  std::map<std::string, Node> nodes_;
  std::set<std::string> failing_searches_, failing_attributes_, failing_copies_;
  std::uint64_t next_id_ = 0;
  int open_searches_ = 0, most_open_searches_ = 0, searches_opened_ = 0, attribute_queries_ = 0;
  std::vector<std::string> log_;
};

}  // namespace orvane::testing
