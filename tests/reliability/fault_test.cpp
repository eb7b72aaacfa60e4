// Whole runs over the real file system with one call failing: for each operation the run makes,
// each of its calls in turn is struck, and the run must still end and lose nothing.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/file_system_posix.h"
#include "sorting/run.h"
#include "tests/fake_controls.h"
#include "tests/reliability/faulty_file_system.h"
#include "tests/reliability/sorted_tree.h"
#include "window/texts.h"

namespace orvane {
namespace {

using testing::Fault;
using testing::Op;

// Files larger than the write limit, so that a limited copy stops in its middle; two that share
// a target; one whose target stands before the run; one without an extension.
testing::SortedTree small_tree(const testing::RunPlaces& places) {
  testing::SortedTree t;
  t.src = places.src;
  t.dst = places.dst;
  t.files = {
      {"a.jpg", testing::distinct_bytes(300 << 10, 1), "jpg/a.jpg"},
      {"b.txt", "small", "txt/b.txt"},
      {"x/c.jpg", testing::distinct_bytes(200 << 10, 2), "jpg/c.jpg"},
      {"y/c.jpg", testing::distinct_bytes(150 << 10, 3), "jpg/c.jpg"},
      {"README", testing::distinct_bytes(70 << 10, 4), "README"},
      {"d.txt", testing::distinct_bytes(120 << 10, 5), "txt/d.txt"},
      {"sub/e.tar.gz", testing::distinct_bytes(90 << 10, 6), "gz/e.tar.gz"},
  };
  t.old_targets = {{"txt/d.txt", testing::distinct_bytes(40 << 10, 7)}};
  return t;
}

constexpr rlim_t kWriteLimit = 16 << 10;

struct FaultCase {
  Op op;
  Fault how;
};

// The operations a run makes: a copying run copies, a moving run moves and reads identities.
const FaultCase kCopyFaults[] = {
    {Op::create_folder, Fault::refuse},
    {Op::copy_file, Fault::refuse},
    {Op::copy_file, Fault::writes_run_out},
    {Op::finish_moves, Fault::refuse},
};
const FaultCase kMoveFaults[] = {
    {Op::create_folder, Fault::refuse}, {Op::identity, Fault::refuse},
    {Op::move_file, Fault::refuse},     {Op::move_file, Fault::writes_run_out},
    {Op::finish_moves, Fault::refuse},
};

struct RunWithAFault : ::testing::TestWithParam<std::tuple<bool, bool, FaultCase>> {
  bool across() const { return std::get<0>(GetParam()); }
  bool moving() const { return std::get<1>(GetParam()); }
  const FaultCase& fault() const { return std::get<2>(GetParam()); }

  // One run over a fresh tree with the k-th call of the operation struck (none when k is 0).
  // Gives how many calls of the operation the run made.
  int run(int k) {
    testing::RunPlaces places(across());
    if (!places.reason.empty()) {
      skipped = places.reason;
      return 0;
    }
    const testing::SortedTree tree = small_tree(places);
    tree.write();
    testing::FakeControls ui;
    ui.captions[控件::标签2] = tree.dst;
    ui.items = tree.items();
    ui.tick = moving() ? 1 : 0;
    int calls = 0;
    {
      PosixFileSystem real;
      testing::FaultyFileSystem fs(real);
      if (k > 0) fs.fail(fault().op, k, fault().how, kWriteLimit);
      分类文件(ui, fs);
      calls = fs.calls(fault().op);
      cut_copies += fault().how == Fault::writes_run_out ? fs.struck_failures() : 0;
      EXPECT_EQ(fs.struck(), k > 0 ? 1 : 0);
      EXPECT_EQ(ui.bar.position(), static_cast<int>(tree.files.size()));
      EXPECT_EQ(ui.messages, std::vector<std::string>{native_text(kMessageDone)});
      EXPECT_EQ(tree.damage(!moving(), false), "") << "right after the run";
    }
    // The real layer is gone: whatever it still had pending is done or dropped.
    EXPECT_EQ(tree.damage(!moving(), false), "") << "after the layer was closed";
    if (k == 0) {
      // Without a fault every file is sorted (the second of two sharing a target stays put when
      // moving, and is copied over the first when copying).
      for (const auto& f : tree.files) {
        if (moving() && f.rel == "y/c.jpg") continue;
        if (!moving() && f.rel == "x/c.jpg") continue;
        EXPECT_EQ(testing::read_file(tree.dst + "/" + f.target), f.content) << f.rel;
      }
    }
    return calls;
  }
  std::string skipped;
  int cut_copies = 0;  // struck copies the write limit made fail
};

TEST_P(RunWithAFault, EndsAndLosesNothingWhicheverCallFails) {
  const int calls = run(0);
  if (!skipped.empty()) GTEST_SKIP() << "No second file system: " << skipped;
  ASSERT_GT(calls, 0) << "the run never made the call this case strikes";
  for (int k = 1; k <= calls; ++k) {
    SCOPED_TRACE("call " + std::to_string(k) + " of " + std::to_string(calls) + " fails");
    run(k);
    if (HasFailure()) break;
  }
  // The limit must have cut at least one copy short, or the case tested nothing.
  if (fault().how == Fault::writes_run_out) {
    EXPECT_GT(cut_copies, 0);
  }
}

std::string case_name(const ::testing::TestParamInfo<std::tuple<bool, bool, FaultCase>>& info) {
  const FaultCase& fault = std::get<2>(info.param);
  return std::string(std::get<0>(info.param) ? "Across" : "OneFileSystem") +
         (std::get<1>(info.param) ? "Move" : "Copy") + testing::op_name(fault.op) +
         (fault.how == Fault::refuse ? "Refused" : "WritesRunOut");
}

INSTANTIATE_TEST_SUITE_P(Copying, RunWithAFault,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(false),
                                            ::testing::ValuesIn(kCopyFaults)),
                         case_name);
INSTANTIATE_TEST_SUITE_P(Moving, RunWithAFault,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(true),
                                            ::testing::ValuesIn(kMoveFaults)),
                         case_name);

}  // namespace
}  // namespace orvane
