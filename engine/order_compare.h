// What the order compares: one name against another, and two files of one folder. Shared
// by the comparators and by the sort, which compares only entries of one folder.
#pragma once

#include <cstdint>
#include <string_view>

#include "listing.h"

namespace ramilux {

// One folder or file name against another: the locale's collation, then the bytes, so
// that two different names never compare equal (two folders that collate alike must not
// mix their contents).
inline int CompareComponent(const TOrderContext& ctx, std::string_view a, std::string_view b) {
  if (a == b) return 0;
  int r = ctx.Text.Compare(a, b);
  if (r != 0) return r;
  return a < b ? -1 : 1;
}

template <typename T>
int Compare3(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// What the order of two entries of one folder looks at.
struct TSortFields {
  std::string_view Name;
  int64_t Size;
  uint32_t Time;
};

// Two non-empty files of one folder: by the secondary key, then by name (its bytes when
// the collation calls two names equal, so the walk's order never shows). A negative size
// (only a faulty search reports one) has no key: such files go first, by name, so that
// the order stays a strict one.
inline int CompareFiles(const TOrderContext& ctx, TSortKind kind, const TSortFields& e1,
                        const TSortFields& e2) {
  bool negative1 = e1.Size < 0, negative2 = e2.Size < 0;
  if (negative1 != negative2) return negative1 ? -1 : 1;
  int r = negative1                                                 ? 0
          : kind == TSortKind::Size || kind == TSortKind::TotalSize ? Compare3(e1.Size, e2.Size)
          : kind == TSortKind::Date ? Compare3(e1.Time, e2.Time)  // unsigned: right to 2107
                                    : 0;
  return r != 0 ? r : CompareComponent(ctx, e1.Name, e2.Name);
}

// The comparator of `kind`.
int CompareByKind(const TOrderContext& ctx, TSortKind kind, const TFileObject& e1,
                  const TFileObject& e2);

}  // namespace ramilux
