// The application's printer object: current printer, device contexts, display font at
// the printer's resolution.
#include "printer.h"

#include <richedit.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display_font.h"
#include "rich_edit.h"

namespace ramilux {

int ScreenFontHeight(HWND view, int screenDpi) {
  CHARFORMATA format = rich_edit::CharFormat(view);
  return -std::max(1, RoundHalfEven(format.yHeight * screenDpi / 1440.0));
}

LOGFONTA DisplayFontFor(HWND view, HDC device) {
  int screenDpi = ScreenDpi();
  LOGFONTA font = FontFromCharFormat(rich_edit::CharFormat(view), screenDpi).Font;
  // The height in whole points first, so that the page shows the size the view shows.
  font.lfHeight = DeviceFontHeight(ScreenFontHeight(view, screenDpi), screenDpi,
                                   GetDeviceCaps(device, LOGPIXELSY));
  return font;
}

namespace {

bool PrinterExists(const std::string& name) {
  HANDLE handle = nullptr;
  if (name.empty() || !OpenPrinterA(const_cast<char*>(name.c_str()), &handle, nullptr)) {
    return false;
  }
  ClosePrinter(handle);
  return true;
}

}  // namespace

std::string DefaultPrinterName() {
  char name[512] = {};
  DWORD size = sizeof name;
  // The default may still name a printer that was removed since.
  if (!GetDefaultPrinterA(name, &size) || !PrinterExists(name)) return {};
  return name;
}

TResult<std::string> TPrinter::CurrentName() const {
  if (PrinterExists(device_)) return device_;
  std::string name = DefaultPrinterName();
  if (name.empty()) return TOutcome::Failed(kNoDefaultPrinter);
  return name;
}

TResult<TPrinterDc> TPrinter::CreateDc(bool singleCopy) const {
  TResult<std::string> current = CurrentName();
  if (!current.Ok()) return current.Outcome();
  const std::string& name = current.Value();
  std::vector<BYTE> settings;
  if (name == device_) settings = devMode_;
  auto* mode = settings.empty() ? nullptr : reinterpret_cast<DEVMODEA*>(settings.data());
  if (mode && singleCopy && (mode->dmFields & DM_COPIES)) mode->dmCopies = 1;
  HDC dc = CreateDCA("WINSPOOL", name.c_str(), nullptr, mode);
  if (!dc) return TOutcome::Failed(kInvalidPrinter);
  return TPrinterDc(dc);
}

TResult<TPrinterDc> TPrinter::CreateInfoContext() const {
  TResult<std::string> current = CurrentName();
  if (!current.Ok()) return current.Outcome();
  const std::string& name = current.Value();
  const auto* mode = name == device_ && !devMode_.empty()
                         ? reinterpret_cast<const DEVMODEA*>(devMode_.data())
                         : nullptr;
  HDC dc = CreateICA("WINSPOOL", name.c_str(), nullptr, mode);
  if (!dc) return TOutcome::Failed(kInvalidPrinter);
  return TPrinterDc(dc);
}

namespace {

TGlobalMemory CopyToGlobal(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return TGlobalMemory(memory);
}

}  // namespace

TGlobalMemory TPrinter::DevNames() const {
  if (device_.empty()) return nullptr;
  // DEVNAMES: three offsets (in characters) to the driver, device and port strings.
  std::vector<char> block(sizeof(DEVNAMES));
  auto append = [&block](const std::string& text) {
    auto offset = static_cast<WORD>(block.size());
    block.insert(block.end(), text.begin(), text.end());
    block.push_back('\0');
    return offset;
  };
  WORD driver = append(driver_), device = append(device_), port = append(port_);
  auto* names = reinterpret_cast<DEVNAMES*>(block.data());
  names->wDriverOffset = driver;
  names->wDeviceOffset = device;
  names->wOutputOffset = port;
  names->wDefault = 0;
  return CopyToGlobal(block.data(), block.size());
}

TGlobalMemory TPrinter::DevMode() const {
  if (devMode_.empty()) return nullptr;
  return CopyToGlobal(devMode_.data(), devMode_.size());
}

void TPrinter::Choose(HGLOBAL devNames, HGLOBAL devMode) {
  if (devNames) {
    auto* names = static_cast<const DEVNAMES*>(GlobalLock(devNames));
    auto* text = reinterpret_cast<const char*>(names);
    driver_ = text + names->wDriverOffset;
    device_ = text + names->wDeviceOffset;
    port_ = text + names->wOutputOffset;
    GlobalUnlock(devNames);
  }
  devMode_.clear();
  if (devMode) {
    auto* mode = static_cast<const BYTE*>(GlobalLock(devMode));
    auto* header = reinterpret_cast<const DEVMODEA*>(mode);
    devMode_.assign(mode, mode + header->dmSize + header->dmDriverExtra);
    GlobalUnlock(devMode);
  }
}

int TPrinter::Copies() const {
  if (devMode_.empty()) return 1;
  auto* mode = reinterpret_cast<const DEVMODEA*>(devMode_.data());
  return (mode->dmFields & DM_COPIES) && mode->dmCopies > 1 ? mode->dmCopies : 1;
}

TPrinter::TJob::TJob(TPrinter& printer) : printer_(printer), held_(!printer.printing_) {
  printer.printing_ = true;
}

TPrinter& ThePrinter() {
  static TPrinter printer;
  return printer;
}

}  // namespace ramilux
