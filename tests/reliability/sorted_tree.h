// Trees of real files to sort, and the check that a run, however it ended, lost and damaged
// nothing.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/posix_test_support.h"

namespace orvane::testing {

// Bytes that differ from file to file and from offset to offset, so that a swapped, cut or
// misplaced chunk shows.
std::string distinct_bytes(std::size_t size, unsigned seed);

// One file to sort: where it lies under the source folder and where the run puts it under the
// destination.
struct SourceFile {
  std::string rel;
  std::string content;
  std::string target;
};

// The source and destination folders of a run, on one file system or on two.
struct RunPlaces {
  std::unique_ptr<TempDir> src_root, dst_root;
  std::string src, dst;
  std::string reason;  // why the places could not be made; empty when they were
  // `across`: the source on /dev/shm and the destination in the working folder (the build
  // folder), which must be on another file system.
  explicit RunPlaces(bool across);
};

// The files of a tree, the files that stand at targets before the run, and the check.
struct SortedTree {
  std::string src, dst;
  std::vector<SourceFile> files;
  std::map<std::string, std::string> old_targets;  // target -> content before the run

  // Writes the tree and the old targets.
  void write() const;
  // The run's list: the full paths of the files, in order.
  std::vector<std::string> items() const;

  // What is wrong after a run; empty when nothing is. Every file's bytes must stand complete at
  // its source (always, when copying) or at its target; a file under the destination is an old
  // target unchanged or a complete copy of a file sorted there; nothing under the source changes
  // but by going away; temporaries of copies are allowed only with `temporaries_allowed`.
  std::string damage(bool copying, bool temporaries_allowed) const;
};

// The temporaries of copies left anywhere under `root`, as paths relative to it.
std::vector<std::string> temporaries(const std::string& root);

}  // namespace orvane::testing
