// Small owners of GDI and window handles, so that no cleanup depends on remembering it
// on every return path.
#pragma once

#include <windows.h>

#include <utility>

namespace ramilux {

// A GDI object (font, bitmap, brush) deleted with the owner.
class TGdiObject {
 public:
  explicit TGdiObject(HGDIOBJ object = nullptr) : object_(object) {}
  TGdiObject(TGdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  TGdiObject& operator=(TGdiObject&& other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~TGdiObject() {
    if (object_) DeleteObject(object_);
  }
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
};

// A memory DC compatible with `reference`, holding `bitmap` until destroyed.
class TMemoryDc {
 public:
  TMemoryDc(HDC reference, HBITMAP bitmap)
      : dc_(CreateCompatibleDC(reference)), old_(SelectObject(dc_, bitmap)) {}
  TMemoryDc(const TMemoryDc&) = delete;
  TMemoryDc& operator=(const TMemoryDc&) = delete;
  ~TMemoryDc() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A menu destroyed with the owner.
class TMenu {
 public:
  explicit TMenu(HMENU menu = nullptr) : menu_(menu) {}
  TMenu(const TMenu&) = delete;
  TMenu& operator=(const TMenu&) = delete;
  ~TMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  void Reset(HMENU menu) {
    if (menu_) DestroyMenu(menu_);
    menu_ = menu;
  }
  HMENU Get() const { return menu_; }

 private:
  HMENU menu_;
};

}  // namespace ramilux
