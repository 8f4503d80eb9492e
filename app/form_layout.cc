// Reading the form table (see form_layout.h).
#include "form_layout.h"

#include <cstring>

#include "resource.h"

namespace ramilux {
namespace {

class TReader {
 public:
  TReader(const char* data, size_t size) : data_(data), size_(size) {}

  bool Word(uint16_t& value) {
    if (size_ - position_ < 2) return Fail();
    std::memcpy(&value, data_ + position_, 2);
    position_ += 2;
    return true;
  }
  bool Signed(int& value) {
    uint16_t word = 0;
    if (!Word(word)) return false;
    value = static_cast<int16_t>(word);
    return true;
  }
  bool String(std::string& value) {
    const void* end = std::memchr(data_ + position_, '\0', size_ - position_);
    if (!end) return Fail();
    size_t length = static_cast<const char*>(end) - (data_ + position_);
    value.assign(data_ + position_, length);
    position_ += length + 1;
    return true;
  }
  bool Ok() const { return ok_; }

 private:
  bool Fail() {
    ok_ = false;
    return false;
  }
  const char* data_;
  size_t size_;
  size_t position_ = 0;
  bool ok_ = true;
};

bool ReadRecord(TReader& reader, TControlRecord& record) {
  return reader.Word(record.Id) && reader.Word(record.Parent) && reader.Signed(record.Left) &&
         reader.Signed(record.Top) && reader.Signed(record.Width) && reader.Signed(record.Height) &&
         reader.Word(record.Flags) && reader.Word(record.TabOrder) && reader.String(record.Text) &&
         reader.String(record.Hint);
}

}  // namespace

std::vector<TControlRecord> ReadFormLayout(HINSTANCE instance) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_FORM_LAYOUT), RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) return {};
  TReader reader(data, SizeofResource(instance, found));
  std::vector<TControlRecord> records;
  for (;;) {
    TControlRecord record;
    if (!reader.Word(record.Kind)) return {};
    if (record.Kind == KIND_END) return records;
    if (!ReadRecord(reader, record)) return {};
    records.push_back(std::move(record));
  }
}

}  // namespace ramilux
