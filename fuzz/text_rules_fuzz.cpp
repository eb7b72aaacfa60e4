// Fuzzes the text rules on paths: the file name cut, the extension, the joins of the POSIX layer
// and the held form of a picked source folder.
//
// Input: the first byte chooses the separator ("\" or "/") and whether GBK lead bytes are
// stepped over; the rest, up to the first NUL, is the item; what follows the NUL is a name to
// join to the item.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_posix.h"
#include "platform/path_rules.h"

namespace {

bool gbk_lead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}

void require(bool condition) {
  if (!condition) std::abort();
}

// Offsets at which a character starts, stepping as the rules do: a lead byte and the byte
// after it form one character.
std::vector<bool> character_starts(std::string_view s, bool (*lead)(unsigned char)) {
  std::vector<bool> starts(s.size() + 1, false);
  for (std::size_t i = 0; i < s.size();) {
    starts[i] = true;
    i += lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
  }
  starts[s.size()] = true;
  return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = (data[0] & 1) ? '\\' : '/';
  bool (*lead)(unsigned char) = (data[0] & 2) ? gbk_lead : orvane::no_lead_bytes;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t nul = rest.find('\0');
  const std::string_view item = rest.substr(0, nul);
  const std::string_view name = nul == std::string_view::npos ? "" : rest.substr(nul + 1);
  const std::vector<bool> starts = character_starts(item, lead);

  // The file name is a suffix of the item, cut at the start of a character, just after a
  // separator that is a character by itself; no such separator is left in it.
  const std::string file = orvane::file_name_of(item, separator, lead);
  require(file.size() <= item.size());
  const std::size_t cut = item.size() - file.size();
  require(item.substr(cut) == file);
  require(starts[cut]);
  require(cut == 0 || (item[cut - 1] == separator && starts[cut - 1]));
  for (std::size_t i = cut; i < item.size(); ++i) require(!(starts[i] && item[i] == separator));
  // Without lead bytes every separator byte cuts.
  if (lead == orvane::no_lead_bytes) require(file.find(separator) == std::string::npos);

  // The extension is a suffix of the file name that starts with a dot at a character start and
  // holds no space or separator as a character of its own.
  const std::size_t dot = orvane::last_dot_extension(item, separator, lead);
  require(dot <= item.size());
  require(dot >= cut);
  if (dot < item.size()) {
    require(item[dot] == '.' && starts[dot]);
    for (std::size_t i = dot + 1; i < item.size(); ++i)
      require(!(starts[i] && (item[i] == ' ' || item[i] == separator)));
  }
  // It is the last such dot: any dot after it, or any dot at all when there is no extension,
  // has a space of its own after it.
  std::vector<bool> space_after(item.size() + 1, false);
  for (std::size_t i = item.size(); i-- > cut;)
    space_after[i] = space_after[i + 1] || (starts[i + 1] && i + 1 < item.size() &&
                                            (item[i + 1] == ' ' || item[i + 1] == separator));
  for (std::size_t i = (dot < item.size() ? dot + 1 : cut); i < item.size(); ++i)
    if (starts[i] && item[i] == '.') require(space_after[i]);

  // A picked folder is held as itself, or as its first two bytes when it is three long.
  const std::string picked(item);
  const std::string held = orvane::drive_root_source_form(picked);
  require(picked.starts_with(held));
  require(held.size() == (picked.size() == 3 ? 2 : picked.size()));

  // The POSIX join puts exactly one "/" between a folder and a name, and the name it joined is
  // the file name of the result.
  orvane::PosixFileSystem posix;
  const std::string folder(item), joined_name(name);
  const std::string joined = posix.child(folder, joined_name);
  require(joined.starts_with(folder) && joined.ends_with(joined_name));
  const bool slash_ends = !folder.empty() && folder.back() == '/';
  require(joined.size() == folder.size() + joined_name.size() + (slash_ends ? 0 : 1));
  if (joined_name.find('/') == std::string::npos)
    require(orvane::file_name_of(joined, '/', orvane::no_lead_bytes) == joined_name);
  require(posix.extension_start(folder) ==
          orvane::last_dot_extension(folder, '/', orvane::no_lead_bytes));
  return 0;
}
