// The scan's list as a vector, for tests.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "sorting/scan.h"

namespace orvane::testing {

inline std::vector<std::string> scan(FileSystem& fs, const std::string& folder) {
  std::vector<std::string> out;
  列出文件(folder, fs, [&](const std::string& p) { out.push_back(p); });
  return out;
}

}  // namespace orvane::testing
