// The output file of -o: written under a temporary name in its folder and moved over its
// name at Commit. The temporary file is made only when the first bytes come, after the
// walk, so that a listing of the folder that will hold it does not list it.
#include "replacing_file.h"
#include "system.h"

namespace arbo {
namespace {

class TReplacedFileTarget final : public TOutputTarget {
 public:
  // Paths are UTF-8 in arbo (on POSIX the file system's bytes, whatever they are).
  explicit TReplacedFileTarget(const std::string& path) : file_(path, ramilux::TEncoding::Utf8) {}

  bool Write(const char* data, size_t size, std::string& error) override {
    if (!Create(error)) return false;
    return file_.Write(data, size, error) || CannotWrite(error);
  }

  bool Commit(std::string& error) override {
    if (!Create(error)) return false;
    return file_.Commit(error) || CannotWrite(error);
  }

 private:
  bool Create(std::string& error) {
    if (file_.Create(error)) return true;
    error = Say("impossible de créer le fichier ", "cannot create the file ") + error;
    return false;
  }
  static bool CannotWrite(std::string& error) {
    error = Say("écriture impossible dans ", "cannot write to ") + error;
    return false;
  }

  ramilux::TReplacingFile file_;
};

}  // namespace

std::unique_ptr<TOutputTarget> NewReplacedFileTarget(const std::string& path) {
  return std::make_unique<TReplacedFileTarget>(path);
}

}  // namespace arbo
