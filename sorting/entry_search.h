// The entry search the scan relies on: start / next / end over a caller-owned handle, with the
// attribute-mask filter applied to the word delivered with each entry.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace orvane {

// Closes a search still held in `handle`, opens one for `pattern` and gives the first entry that
// passes the filter. The empty Text (and an empty handle) when it cannot be opened or has none.
std::string search_start(FileSystem& fs, const std::string& pattern, std::uint32_t mask,
                         SearchHandle& handle);
// The following entry that passes the filter; the empty Text when the handle holds no search.
// At the end of the folder, or on a failure, the search is closed and the handle emptied.
std::string search_next(std::uint32_t mask, SearchHandle& handle);
// Closes the search if the handle holds one.
void search_end(SearchHandle& handle);

}  // namespace orvane
