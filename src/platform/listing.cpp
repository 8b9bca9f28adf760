#include "platform/listing.h"

#include <algorithm>
#include <initializer_list>
#include <type_traits>

namespace platform {

namespace {

NativeChar FoldCase(NativeChar c) { return c >= 'a' && c <= 'z' ? NativeChar(c - 'a' + 'A') : c; }

}  // namespace

bool MatchesMapPattern(const NativeString& name) {
  static constexpr char kSuffix[] = ".MAP";
  constexpr std::size_t kLength = sizeof kSuffix - 1;
  return name.size() >= kLength &&
         std::equal(name.end() - kLength, name.end(), kSuffix,
                    [](NativeChar c, char s) { return FoldCase(c) == NativeChar(s); });
}

bool NameLess(const NativeString& a, const NativeString& b) {
  // Compared as unsigned, so that bytes above 0x7F sort after ASCII.
  using Unsigned = std::make_unsigned_t<NativeChar>;
  const std::size_t common = std::min(a.size(), b.size());
  int tie = 0;  // names the same but for case: their first byte that differs
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;
    const Unsigned x = Unsigned(FoldCase(a[i]));
    const Unsigned y = Unsigned(FoldCase(b[i]));
    if (x != y) return x < y;
    if (tie == 0) tie = Unsigned(a[i]) < Unsigned(b[i]) ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return tie < 0;
}

namespace {

Status ListSorted(const NativeString& folder, FolderLinks links, std::vector<NativeString>* subfolders,
                  std::vector<NativeString>* maps) {
  for (std::vector<NativeString>* names : {subfolders, maps}) {
    if (names != nullptr) names->clear();
  }
  const Status status = internal::ListEntries(folder, links, subfolders, maps);
  if (!status.ok()) return status;
  for (std::vector<NativeString>* names : {subfolders, maps}) {
    if (names != nullptr) std::sort(names->begin(), names->end(), NameLess);
  }
  return Status::Ok();
}

}  // namespace

Status ListMapFiles(const NativeString& folder, std::vector<NativeString>* names) {
  return ListSorted(folder, FolderLinks::kListed, nullptr, names);
}

Status ListSubfolders(const NativeString& folder, std::vector<NativeString>* names, FolderLinks links) {
  return ListSorted(folder, links, names, nullptr);
}

Status ListFolder(const NativeString& folder, std::vector<NativeString>* subfolders, std::vector<NativeString>* maps) {
  return ListSorted(folder, FolderLinks::kListed, subfolders, maps);
}

}  // namespace platform
