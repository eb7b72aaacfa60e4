// A file-system layer for tests that passes every call to a real one and makes chosen calls fail.
//
// A fault names an operation and the calls it strikes (the k-th, or every call from the k-th on).
// A struck call either refuses (it reports the failure that operation reports and does nothing)
// or, for copies and moves, runs under a file size limit so that the copy's writes stop partway:
// the first write comes back short and the next fails with EFBIG, as on a disk that fills up in
// the middle of a file.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tests/posix_test_support.h"

namespace orvane::testing {

enum class Op {
  open_search,
  next,  // DirectorySearch::next of any search opened through this layer
  attributes,
  identity,
  create_folder,
  copy_file,
  move_file,
  finish_moves,
};

inline const char* op_name(Op op) {
  switch (op) {
    case Op::open_search:
      return "OpenSearch";
    case Op::next:
      return "Next";
    case Op::attributes:
      return "Attributes";
    case Op::identity:
      return "Identity";
    case Op::create_folder:
      return "CreateFolder";
    case Op::copy_file:
      return "CopyFile";
    case Op::move_file:
      return "MoveFile";
    case Op::finish_moves:
      return "FinishMoves";
  }
  return "?";
}

enum class Fault {
  refuse,         // the call fails without acting
  writes_run_out  // copy_file / move_file: the call runs, and writing stops after `limit` bytes
};

class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

  // Strikes the k-th call of `op` (counting from 1), or with `onwards` every call from it.
  void fail(Op op, int k, Fault how = Fault::refuse, rlim_t limit = 0, bool onwards = false) {
    rules_.push_back({op, k, onwards, how, limit});
  }
  // Calls of `op` made so far, struck ones included.
  int calls(Op op) const {
    const auto it = calls_.find(op);
    return it == calls_.end() ? 0 : it->second;
  }
  // Calls struck so far, and how many of them reported a failure.
  int struck() const { return struck_; }
  int struck_failures() const { return struck_failures_; }

  // --- FileSystem -----------------------------------------------------------------------------
  char separator() const override { return real_.separator(); }
  bool is_lead_byte(unsigned char b) const override { return real_.is_lead_byte(b); }
  std::string source_folder_form(const std::string& picked) const override {
    return real_.source_folder_form(picked);
  }
  std::string child(const std::string& folder, const std::string& name) const override {
    return real_.child(folder, name);
  }
  std::size_t extension_start(const std::string& item) override {
    return real_.extension_start(item);
  }

  std::unique_ptr<DirectorySearch> open_search(const std::string& pattern) override {
    if (strike(Op::open_search)) return nullptr;
    auto search = real_.open_search(pattern);
    if (!search) return nullptr;
    return std::make_unique<Search>(*this, std::move(search));
  }
  std::uint32_t attributes(const std::string& path) override {
    if (strike(Op::attributes)) return attr::kInvalid;
    return real_.attributes(path);
  }
  std::optional<FileId> identity(const std::string& path) override {
    if (strike(Op::identity)) return std::nullopt;
    return real_.identity(path);
  }
  bool create_folder(const std::string& path) override {
    if (strike(Op::create_folder)) return false;
    return real_.create_folder(path);
  }
  bool copy_file(const std::string& from, const std::string& to) override {
    const Rule* rule = strike(Op::copy_file);
    if (!rule) return real_.copy_file(from, to);
    if (rule->how == Fault::refuse) return failed();
    FileSizeLimit limit(rule->limit);
    return real_.copy_file(from, to) || failed();
  }
  bool move_file(const std::string& from, const std::string& to) override {
    const Rule* rule = strike(Op::move_file);
    if (!rule) return real_.move_file(from, to);
    if (rule->how == Fault::refuse) return failed();
    FileSizeLimit limit(rule->limit);
    return real_.move_file(from, to) || failed();
  }
  void finish_moves() override {
    if (strike(Op::finish_moves)) return;
    real_.finish_moves();
  }

 private:
  struct Rule {
    Op op;
    int k;
    bool onwards;
    Fault how;
    rlim_t limit;
  };

  class Search final : public DirectorySearch {
   public:
    Search(FaultyFileSystem& owner, std::unique_ptr<DirectorySearch> real)
        : owner_(owner), real_(std::move(real)) {}
    bool next(std::string& name, std::uint32_t& attributes) override {
      if (owner_.strike(Op::next)) return false;
      return real_->next(name, attributes);
    }

   private:
    FaultyFileSystem& owner_;
    std::unique_ptr<DirectorySearch> real_;
  };

  bool failed() {
    ++struck_failures_;
    return false;
  }

  // Counts a call of `op`; the rule that strikes it, or null.
  const Rule* strike(Op op) {
    const int n = ++calls_[op];
    for (const Rule& r : rules_) {
      if (r.op == op && (n == r.k || (r.onwards && n > r.k))) {
        ++struck_;
        return &r;
      }
    }
    return nullptr;
  }

  FileSystem& real_;
  std::vector<Rule> rules_;
  std::map<Op, int> calls_;
  int struck_ = 0;
  int struck_failures_ = 0;
};

}  // namespace orvane::testing
