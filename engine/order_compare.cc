// The three comparators: entries of one folder by their names, sizes or dates, entries of
// different folders by their paths, folder by folder.
#include "order_compare.h"

#include <algorithm>

namespace ramilux {
namespace {

// The folder `depth` levels below the root on the way to `folder`.
const TFolderRecord* Ancestor(const TFolderRecord* folder, size_t depth) {
  while (folder->Depth > depth) folder = folder->Parent();
  return folder;
}

// What an entry's comparison text ends in: a folder or an empty file its own name, a
// non-empty file nothing (it sorts under its folder's path).
std::string_view LastPart(const TFileObject& entry) {
  return entry.Size == 0 ? entry.Name.View() : std::string_view();
}

// Entries of different folders: their comparison texts (the folders' names from the root,
// then the last part) compared part by part, so that "docs" < "docs\..." < "docs.old",
// whatever the collation thinks of "\" against "."; a text that runs out of parts first
// goes first. The first part that differs is found from the bottom up, along the records.
int CompareTextsOf(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  const size_t parts1 = e1.Directory().Depth() + 1, parts2 = e2.Directory().Depth() + 1;
  const size_t shared = std::min(parts1, parts2);
  // Part `shared` of each, and the folder above it.
  const TFolderRecord* above1 = e1.Directory().Record();
  const TFolderRecord* above2 = e2.Directory().Record();
  std::string_view part1 = LastPart(e1), part2 = LastPart(e2);
  if (shared < parts1) {
    above1 = Ancestor(above1, shared);
    part1 = above1->Name.View();
    above1 = above1->Parent();
  }
  if (shared < parts2) {
    above2 = Ancestor(above2, shared);
    part2 = above2->Name.View();
    above2 = above2->Parent();
  }
  bool differ = part1 != part2;
  // Both at one depth; the root's own record and null both stand for the root.
  for (; above1 != above2 && above1 != nullptr && above1->Depth > 0;
       above1 = above1->Parent(), above2 = above2->Parent()) {
    if (above1->Name != above2->Name) {
      differ = true;
      part1 = above1->Name.View();
      part2 = above2->Name.View();
    }
  }
  if (differ) return CompareComponent(ctx, part1, part2);
  return Compare3(parts1, parts2);
}

TSortFields FieldsOf(const TFileObject& entry) {
  return {entry.Name, entry.Size, entry.Time};
}

// The order of two entries of one folder (equal Directory): what the comparators give,
// without looking at the path they share.
int CompareSiblings(const TOrderContext& ctx, TSortKind kind, const TFileObject& e1,
                    const TFileObject& e2) {
  bool file1 = e1.Size != 0, file2 = e2.Size != 0;
  if (file1 != file2) return file1 ? -1 : 1;
  if (!file1) return CompareComponent(ctx, e1.Name, e2.Name);
  return CompareFiles(ctx, kind, FieldsOf(e1), FieldsOf(e2));
}

}  // namespace

int CompareByKind(const TOrderContext& ctx, TSortKind kind, const TFileObject& e1,
                  const TFileObject& e2) {
  if (e1.Directory() == e2.Directory()) return CompareSiblings(ctx, kind, e1, e2);
  return CompareTextsOf(ctx, e1, e2);
}

int CompareByName(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  return CompareByKind(ctx, TSortKind::Name, e1, e2);
}

int CompareBySize(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  return CompareByKind(ctx, TSortKind::Size, e1, e2);
}

// The size still decides whether the date counts: only between two non-empty files.
int CompareByDate(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  return CompareByKind(ctx, TSortKind::Date, e1, e2);
}

}  // namespace ramilux
