#include "sorting/entry_search.h"

namespace orvane {

std::string search_start(FileSystem& fs, const std::string& pattern, std::uint32_t mask,
                         SearchHandle& handle) {
  handle.open.reset();
  handle.open = fs.open_search(pattern);
  return search_next(mask, handle);
}

std::string search_next(std::uint32_t mask, SearchHandle& handle) {
  if (!handle.open) return {};
  std::string name;
  while (handle.open->next(name, handle.attributes)) {
    // An empty name could not be told from the end of the search; no system delivers one.
    if ((handle.attributes & mask) != 0 && !name.empty()) return name;
  }
  handle.open.reset();
  handle.attributes = 0;
  return {};
}

void search_end(SearchHandle& handle) {
  handle.open.reset();
}

}  // namespace orvane
