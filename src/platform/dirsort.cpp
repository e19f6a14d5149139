#include "platform/dirlisting.h"
#include "platform/nativepath.h"

#include <algorithm>
#include <string>

namespace kelvaron::platform {

void sortEntries(std::vector<DirEntry>& entries) {
  struct Keyed {
    std::u16string key;
    DirEntry* entry;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(entries.size());
  for (DirEntry& e : entries) {
    std::u16string key;
    key.reserve(static_cast<std::size_t>(e.name.size()));
    for (QChar c : e.name) key.push_back(c.toUpper().unicode());
    keyed.push_back({std::move(key), &e});
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.key != b.key) return a.key < b.key;
    return toNativeBytes(a.entry->name) < toNativeBytes(b.entry->name);
  });
  std::vector<DirEntry> sorted;
  sorted.reserve(entries.size());
  for (Keyed& k : keyed) sorted.push_back(std::move(*k.entry));
  entries = std::move(sorted);
}

}  // namespace kelvaron::platform
