// The folder paths, the prefixes and the entry blocks of the entry list.
#include "file_object.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace ramilux {

namespace {

constexpr char kGroupTexts[4][3] = {
    {' ', ' ', ' '}, {'\xB3', ' ', ' '}, {'\xC3', '\xC4', ' '}, {'\xC0', '\xC4', ' '}};

void AppendGroup(std::string& out, TPrefix::TGroup group) {
  out.append(kGroupTexts[group], 3);
}

}  // namespace

namespace {

// The separator of a folder's list, held by the root's own record at the top.
char SeparatorAbove(const TFolderRecord* folder) {
  while (folder->Depth > 0) folder = folder->Parent();
  return folder->Name.data()[0];
}

}  // namespace

void TFolderPath::AppendText(std::string& out) const {
  if (Depth() == 0) return;
  const char separator = SeparatorAbove(Record());
  size_t length = 0;
  for (const TFolderRecord* r = Record(); r->Depth > 0; r = r->Parent())
    length += r->Name.size() + 1;
  const size_t start = out.size();
  out.resize(start + length);
  // Filled from its end: the records lead from the folder up to the root.
  size_t end = out.size();
  for (const TFolderRecord* r = Record(); r->Depth > 0; r = r->Parent()) {
    out[--end] = separator;
    end -= r->Name.size();
    std::memcpy(out.data() + end, r->Name.data(), r->Name.size());
  }
}

bool operator==(TFolderPath a, TFolderPath b) {
  if (a.Depth() != b.Depth()) return false;
  const TFolderRecord *x = a.Record(), *y = b.Record();
  for (; x != y && x->Depth > 0; x = x->Parent(), y = y->Parent()) {
    if (x->Name != y->Name) return false;
  }
  return true;
}

bool operator==(TFolderPath a, std::string_view text) {
  if (a.Depth() == 0) return text.empty();
  const char separator = SeparatorAbove(a.Record());
  for (const TFolderRecord* r = a.Record(); r->Depth > 0; r = r->Parent()) {
    if (!text.ends_with(separator)) return false;
    text.remove_suffix(1);
    if (!text.ends_with(r->Name.View())) return false;
    text.remove_suffix(r->Name.size());
  }
  return text.empty();
}

TPrefix::TPrefix(size_t groups) {
  word_ = static_cast<uint32_t>(groups) << kCountShift | uint32_t{Corner} << 1;
}

TPrefix::TPrefix(std::span<const TGroup> groups, TStringArena& arena) {
  uint32_t address = arena.Reserve(groups.size() + 5);
  address += address & 1;  // even: bit 0 tells the word's two forms apart
  char* start = const_cast<char*>(TArenaBlocks::At(address));
  const uint32_t count = static_cast<uint32_t>(groups.size());
  std::memcpy(start, &count, 4);
  std::memcpy(start + 4, groups.data(), groups.size());
  word_ = address | 1;
}

size_t TPrefix::Groups() const {
  if (!HoldsAll()) return word_ >> kCountShift;
  uint32_t count;
  std::memcpy(&count, Outside(), 4);
  return count;
}

TPrefix::TGroup TPrefix::Own() const {
  if (!HoldsAll()) return static_cast<TGroup>((word_ >> 1) & 3);
  return static_cast<TGroup>(Outside()[4 + Groups() - 1]);
}

void TPrefix::SetOwn(TGroup group) {
  if (HoldsAll()) {
    Outside()[4 + Groups() - 1] = group;
  } else {
    word_ = (word_ & ~uint32_t{6}) | uint32_t{group} << 1;
  }
}

TPrefix::TGroup TPrefix::Group(size_t g) const {
  if (HoldsAll()) return static_cast<TGroup>(Outside()[4 + g]);
  return g + 1 == Groups() ? Own() : Blank;
}

void TPrefix::AppendText(std::string& out) const {
  const size_t groups = Groups();
  if (groups == 0) return;
  if (HoldsAll()) {
    for (size_t g = 0; g < groups; ++g) AppendGroup(out, Group(g));
  } else {
    out.append(3 * (groups - 1), ' ');
    AppendGroup(out, Own());
  }
}

void TPrefixWriter::Append(std::string& out, const TPrefix& prefix) {
  const size_t groups = prefix.Groups();
  if (groups == 0) {
    lastGroups_ = 0;
    return;
  }
  const size_t level = groups - 1;
  if (prefix.HoldsAll()) {
    columns_.clear();
    for (size_t g = 0; g < level; ++g) AppendGroup(columns_, prefix.Group(g));
  } else if (lastGroups_ == 0) {
    columns_.assign(3 * level, ' ');
  } else if (level < lastGroups_) {
    columns_.resize(3 * level);  // the same columns, or those of a folder above
  } else {
    // One level down: under the entry before, a bar when a sibling of it follows.
    AppendGroup(columns_, lastOwn_ == TPrefix::Branch ? TPrefix::Bar : TPrefix::Blank);
    columns_.append(3 * (level - lastGroups_), ' ');
  }
  out += columns_;
  lastOwn_ = prefix.Own();
  AppendGroup(out, lastOwn_);
  lastGroups_ = groups;
}

TFileObject& TEntryBlocks::emplace_back() {
  if (size_ == kMaxSize) throw std::bad_alloc();
  if ((size_ & kMask) == 0 && (size_ >> kShift) == blocks_.size()) {
    // Raw memory: the pages of a new block are touched only as entries fill them.
    blocks_.push_back(static_cast<TFileObject*>(::operator new(sizeof(TFileObject) << kShift)));
  }
  TFileObject* entry = new (&(*this)[size_]) TFileObject();
  ++size_;
  return *entry;
}

void TEntryBlocks::Truncate(size_t count) {
  if (count >= size_) return;
  const size_t blocks = (count + kMask) >> kShift;
  for (size_t b = blocks; b < blocks_.size(); ++b) ::operator delete(blocks_[b]);
  blocks_.resize(blocks);
  size_ = count;
}

void TEntryBlocks::clear() {
  for (TFileObject* block : blocks_) ::operator delete(block);
  blocks_.clear();
  size_ = 0;
}

TEntryBlocks& TEntryBlocks::operator=(const TEntryBlocks& other) {
  if (this == &other) return *this;
  clear();
  for (size_t i = 0; i < other.size(); ++i) emplace_back() = other[i];
  return *this;
}

TFolderPath TEntryList::FolderAt(size_t k) const {
  return TFolderPath(folderBlocks_[k / kFolderBlock] +
                     static_cast<uint32_t>(k % kFolderBlock * sizeof(TFolderRecord)));
}

TFolderPath TEntryList::NewFolder(const TFolderRecord& record) {
  if (folderCount_ == folderBlocks_.size() * kFolderBlock) {
    folderBlocks_.reserve(folderBlocks_.size() + 1);
    folderBlocks_.push_back(Strings.AllocateBlock(sizeof(TFolderRecord) * kFolderBlock));
  }
  const TFolderPath folder = FolderAt(folderCount_++);
  new (const_cast<TFolderRecord*>(folder.Record())) TFolderRecord(record);
  return folder;
}

TFolderPath TEntryList::AddFolder(TFolderPath parent, TArenaText name, char separator) {
  if (parent.Record() == nullptr) {
    if (root_.Record() == nullptr) {
      root_ = NewFolder({0, Strings.Store(std::string_view(&separator, 1)), 0, 0, {}});
    }
    parent = root_;
  }
  return NewFolder({parent.Address(), name, static_cast<uint32_t>(parent.Depth() + 1), 0, {}});
}

void TEntryList::SetFolderGroups(uint32_t group) {
  for (size_t k = 0; k < folderCount_; ++k) FolderAt(k).Record()->Group = group;
}

TFolderPath TEntryList::AddFolders(std::string_view path, char separator) {
  TFolderPath folder;
  for (size_t end; (end = path.find(separator)) != std::string_view::npos;) {
    folder = AddFolder(folder, Strings.Store(path.substr(0, end)), separator);
    path.remove_prefix(end + 1);
  }
  return folder;
}

}  // namespace ramilux
