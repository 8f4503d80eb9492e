// The settings in the registry: one value each, DWORDs for switches and numbers, strings
// for texts, the placement as the binary structure the window gives.
#include "settings.h"

#include <algorithm>
#include <vector>

#include "wide_text.h"

namespace ramilux {
namespace {

constexpr DWORD kMaxText = 4096;    // characters of a text setting
constexpr int kMinTwips = 20;       // 1 point
constexpr int kMaxTwips = 72 * 20;  // 72 points, the font dialog's largest size
constexpr DWORD kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8;

class TKey {
 public:
  explicit TKey(bool write) {
    const LONG status = write ? RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                                                KEY_WRITE, nullptr, &key_, nullptr)
                              : RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key_);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  ~TKey() {
    if (key_) RegCloseKey(key_);
  }
  TKey(const TKey&) = delete;
  TKey& operator=(const TKey&) = delete;
  explicit operator bool() const { return key_ != nullptr; }

  std::optional<DWORD> Number(const wchar_t* name) const {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return value;
  }
  std::optional<bool> Switch(const wchar_t* name) const {
    const std::optional<DWORD> value = Number(name);
    if (!value || *value > 1) return std::nullopt;
    return *value == 1;
  }
  std::optional<std::wstring> Text(const wchar_t* name) const {
    std::vector<wchar_t> text(kMaxText + 1);
    DWORD size = DWORD(text.size() * sizeof(wchar_t));
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::wstring(text.data());
  }
  std::optional<std::string> AnsiText(const wchar_t* name) const {
    std::optional<std::wstring> text = Text(name);
    if (!text) return std::nullopt;
    // A text the code page cannot hold is no text the edit could have held.
    std::string ansi = FromWide(*text, CP_ACP);
    if (ToWide(ansi, CP_ACP) != *text) return std::nullopt;
    return ansi;
  }
  template <typename T>
  std::optional<T> Binary(const wchar_t* name) const {
    T value{};
    DWORD size = sizeof value;
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_BINARY, nullptr, &value, &size) !=
            ERROR_SUCCESS ||
        size != sizeof value) {
      return std::nullopt;
    }
    return value;
  }

  bool Put(const wchar_t* name, DWORD value) const {
    return Set(name, REG_DWORD, &value, sizeof value);
  }
  bool Put(const wchar_t* name, const std::wstring& text) const {
    return Set(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }
  bool Put(const wchar_t* name, const WINDOWPLACEMENT& placement) const {
    return Set(name, REG_BINARY, &placement, sizeof placement);
  }

 private:
  bool Set(const wchar_t* name, DWORD type, const void* data, size_t size) const {
    return RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), DWORD(size)) ==
           ERROR_SUCCESS;
  }

  HKEY key_ = nullptr;
};

std::optional<TSavedFont> LoadFont(const TKey& key) {
  std::optional<std::string> face = key.AnsiText(L"Police");
  std::optional<DWORD> twips = key.Number(L"TaillePolice");
  std::optional<DWORD> style = key.Number(L"StylePolice");
  if (!face || face->empty() || face->size() >= LF_FACESIZE || !twips || *twips < kMinTwips ||
      *twips > kMaxTwips || !style || *style > 15) {
    return std::nullopt;
  }
  return TSavedFont{*face,
                    int(*twips),
                    (*style & kFontBold) != 0,
                    (*style & kFontItalic) != 0,
                    (*style & kFontUnderline) != 0,
                    (*style & kFontStrikeOut) != 0};
}

bool SaveFont(const TKey& key, const TSavedFont& font) {
  const DWORD style = (font.Bold ? kFontBold : 0) | (font.Italic ? kFontItalic : 0) |
                      (font.Underline ? kFontUnderline : 0) | (font.StrikeOut ? kFontStrikeOut : 0);
  return key.Put(L"Police", ToWide(font.Face, CP_ACP)) &&
         key.Put(L"TaillePolice", DWORD(font.Twips)) && key.Put(L"StylePolice", style);
}

std::optional<WINDOWPLACEMENT> LoadPlacement(const TKey& key) {
  std::optional<WINDOWPLACEMENT> placement = key.Binary<WINDOWPLACEMENT>(L"Fenetre");
  if (!placement || placement->length != sizeof(WINDOWPLACEMENT)) return std::nullopt;
  const RECT& box = placement->rcNormalPosition;
  if (box.right <= box.left || box.bottom <= box.top) return std::nullopt;
  return OnSomeScreen(*placement);
}

}  // namespace

TSettings LoadSettings() {
  TSettings settings;
  const TKey key(/*write=*/false);
  if (!key) return settings;
  settings.Files = key.Switch(L"Fichiers");
  settings.Sizes = key.Switch(L"Tailles");
  settings.Dates = key.Switch(L"Dates");
  settings.Masks = key.Switch(L"Masques");
  settings.MinSize = key.Switch(L"Seuil");
  settings.Higher = key.Switch(L"SeuilSuperieur");
  settings.MaskText = key.AnsiText(L"TexteMasques");
  settings.MinSizeText = key.AnsiText(L"TexteSeuil");
  if (std::optional<DWORD> sort = key.Number(L"Tri"); sort && *sort <= 2) {
    settings.SortIndex = int(*sort);
  }
  settings.Font = LoadFont(key);
  settings.Placement = LoadPlacement(key);
  settings.LastFolder = key.Text(L"DernierDossier");
  return settings;
}

bool SaveSettings(const TSettings& settings) {
  const TKey key(/*write=*/true);
  if (!key) return false;
  bool ok = true;
  auto put = [&](const wchar_t* name, const auto& value) {
    if (value) ok = key.Put(name, *value) && ok;
  };
  auto putSwitch = [&](const wchar_t* name, const std::optional<bool>& value) {
    if (value) ok = key.Put(name, DWORD(*value ? 1 : 0)) && ok;
  };
  auto putAnsi = [&](const wchar_t* name, const std::optional<std::string>& value) {
    if (value) ok = key.Put(name, ToWide(*value, CP_ACP)) && ok;
  };
  putSwitch(L"Fichiers", settings.Files);
  putSwitch(L"Tailles", settings.Sizes);
  putSwitch(L"Dates", settings.Dates);
  putSwitch(L"Masques", settings.Masks);
  putSwitch(L"Seuil", settings.MinSize);
  putSwitch(L"SeuilSuperieur", settings.Higher);
  putAnsi(L"TexteMasques", settings.MaskText);
  putAnsi(L"TexteSeuil", settings.MinSizeText);
  if (settings.SortIndex) ok = key.Put(L"Tri", DWORD(*settings.SortIndex)) && ok;
  if (settings.Font) ok = SaveFont(key, *settings.Font) && ok;
  put(L"Fenetre", settings.Placement);
  put(L"DernierDossier", settings.LastFolder);
  return ok;
}

bool ForgetSettings() {
  const LONG status = RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

WINDOWPLACEMENT OnSomeScreen(WINDOWPLACEMENT placement) {
  RECT& box = placement.rcNormalPosition;
  if (MonitorFromRect(&box, MONITOR_DEFAULTTONULL) != nullptr) return placement;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const LONG width = std::min(box.right - box.left, work.right - work.left);
  const LONG height = std::min(box.bottom - box.top, work.bottom - work.top);
  box = {work.left, work.top, work.left + width, work.top + height};
  return placement;
}

}  // namespace ramilux
