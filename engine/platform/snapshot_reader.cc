// A snapshot file read whole into the tree, or refused: every value is checked as it comes,
// and a tree is only handed over once the document has ended where it should.
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "json_pull.h"
#include "json_text.h"
#include "platform.h"
#include "snapshot.h"

namespace ramilux {
namespace {

// The format and the version, read before anything else, say whose file this is.
class TSnapshotReader {
 public:
  TSnapshotReader(TJsonPull& json, TSnapshotTree& tree) : json_(json), tree_(tree) {}

  void Read(TSnapshotError& error) {
    if (!json_.Accept('{')) {
      json_.Fail("not a snapshot");
    }
    if (json_.Member(true) != "format" || json_.String() != kSnapshotFormat) {
      error.Problem = TSnapshotProblem::Foreign;
      return;
    }
    if (json_.Member(false) != "version") json_.Fail("version expected");
    const int64_t version = json_.Integer();
    if (version > kSnapshotVersion) {
      error.Problem = TSnapshotProblem::Newer;
      error.Detail = std::to_string(version);
      return;
    }
    if (version < 1) json_.Fail("bad version");
    tree_.Root = Text("root", json_.Member(false));
    if (key_ != "separator") json_.Fail("separator expected");
    const std::string separator = json_.String();
    if (separator != "/" && separator != "\\") json_.Fail("bad separator");
    tree_.Separator = separator[0];
    if (tree_.Root.empty() || tree_.Root.back() != tree_.Separator) json_.Fail("bad root");
    if (json_.Member(false) != "taken") json_.Fail("taken expected");
    tree_.Taken = json_.Integer();
    if (json_.Member(false) != "folders") json_.Fail("folders expected");
    json_.Expect('[');
    for (bool first = true; !json_.Accept(']'); first = false) {
      if (!first) json_.Expect(',');
      Folder();
    }
    if (!json_.Member(false).empty()) json_.Fail("unknown member");
    json_.End();
    if (!tree_.Complete()) throw TJsonFault(false, "folders missing");
  }

 private:
  // A text member `name` whose key was just read as `key`, with its exact bytes when the
  // next member gives them; leaves the member after it in key_.
  std::string Text(std::string_view name, const std::string& key) {
    if (key != name) json_.Fail(std::string(name) + " expected");
    std::string text = json_.String();
    key_ = json_.Member(false);
    if (key_ == std::string(name) + "_bytes") {
      std::string bytes = Bytes(json_.String());
      std::string shown;
      AppendJsonString(shown, bytes);
      std::string expected;
      AppendJsonString(expected, text);
      if (shown != expected) json_.Fail("bytes differ from the text");
      text = std::move(bytes);
      key_ = json_.Member(false);
    }
    return text;
  }

  std::string Bytes(const std::string& hex) {
    if (hex.size() % 2 != 0) json_.Fail("odd hex");
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
      const auto digit = [this](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        json_.Fail("bad hex");
      };
      bytes += char(digit(hex[i]) * 16 + digit(hex[i + 1]));
    }
    return bytes;
  }

  void Folder() {
    json_.Expect('{');
    TSnapshotFolder folder;
    folder.Path = Text("path", json_.Member(true));
    for (char& c : folder.Path) c = c == '/' ? tree_.Separator : c;
    if (key_ == "unread") {
      const std::string word = json_.String();
      if (word != "denied" && word != "unreadable") json_.Fail("bad unread");
      folder.Failure = word == "denied" ? TSearchFailure::AccessDenied : TSearchFailure::Unreadable;
      folder.Reason = Text("reason", json_.Member(false));
    }
    if (key_ != "entries") json_.Fail("entries expected");
    if (!tree_.AddFolder(std::move(folder))) json_.Fail("folder out of the walk's order");
    json_.Expect('[');
    for (bool first = true; !json_.Accept(']'); first = false) {
      if (!first) json_.Expect(',');
      Entry();
    }
    if (!json_.Member(false).empty()) json_.Fail("unknown member");
  }

  void Entry() {
    json_.Expect('{');
    TSnapshotItem item;
    const std::string name = Text("name", json_.Member(true));
    if (name.empty() || name.size() > kMaxSnapshotName || IsDotOrDotDot(name) ||
        name.find(tree_.Separator) != std::string::npos || name.find('\0') != std::string::npos) {
      json_.Fail("bad name");
    }
    if (key_ != "type") json_.Fail("type expected");
    const std::string type = json_.String();
    if (type != "file" && type != "folder") json_.Fail("bad type");
    if (json_.Member(false) != "attr") json_.Fail("attr expected");
    const int64_t attr = json_.Integer();
    if (attr < 0 || attr > UINT32_MAX || ((attr & kAttrDirectory) != 0) != (type == "folder")) {
      json_.Fail("bad attr");
    }
    item.Attr = uint32_t(attr);
    item.Size = type == "folder" ? 0 : kUnknownSize;
    std::string key = json_.Member(false);
    if (key == "size" && type == "file") {
      item.Size = json_.Integer();
      if (item.Size < 0) json_.Fail("bad size");
      key = json_.Member(false);
    }
    if (key == "modified") {
      json_.Expect('[');
      item.UtcSeconds = json_.Integer();
      json_.Expect(',');
      const int64_t nanoseconds = json_.Integer();
      if (nanoseconds < 0 || nanoseconds > 999999999) json_.Fail("bad nanoseconds");
      item.UtcNanoseconds = int32_t(nanoseconds);
      json_.Expect(']');
      item.Packed = packer_->Pack(item.Utc());
      key = json_.Member(false);
    }
    if (key == "link_to_ancestor" && type == "folder") {
      item.LinkToAncestor = json_.Boolean();
      key = json_.Member(false);
    }
    if (!key.empty()) json_.Fail("unknown member " + key);
    tree_.AddItem(name, item);
  }

  TJsonPull& json_;
  TSnapshotTree& tree_;
  std::string key_;
  std::unique_ptr<TTimePacker> packer_ = NewTimePacker();
};

}  // namespace

bool ReadSnapshot(const std::string& path, TSnapshotTree& tree, TSnapshotError& error) {
  tree = {};
  error = {};
  const std::u8string name(path.begin(), path.end());
  errno = 0;
  std::ifstream in(std::filesystem::path(name), std::ios::binary);
  if (!in) {
    error.Problem = TSnapshotProblem::CannotOpen;
    error.Detail = SystemErrorText(errno != 0 ? errno : ENOENT, TEncoding::Utf8);
    return false;
  }
  TJsonPull json(in);
  try {
    TSnapshotReader(json, tree).Read(error);
  } catch (const TJsonFault& fault) {
    error.Problem = fault.Truncated ? TSnapshotProblem::Truncated : TSnapshotProblem::Invalid;
    error.Detail = fault.what();
  }
  if (error.Problem == TSnapshotProblem::None) return true;
  tree = {};
  return false;
}

}  // namespace ramilux
