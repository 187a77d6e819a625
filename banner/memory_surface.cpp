#include "banner/memory_surface.h"

#include <memory>
#include <type_traits>

namespace {
struct GdiObjectDeleter {
  void operator()(HBRUSH brush) const { ::DeleteObject(brush); }
};
using BrushOwner = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
}  // namespace

MemorySurface MemorySurface::Create(HDC reference, int width, int height) {
  MemorySurface surface;
  surface.m_dc = ::CreateCompatibleDC(reference);
  if (surface.m_dc == nullptr) return surface;
  surface.m_bitmap = ::CreateCompatibleBitmap(reference, width, height);
  if (surface.m_bitmap == nullptr) {
    surface.reset();
    return surface;
  }
  surface.m_previousBitmap = ::SelectObject(surface.m_dc, surface.m_bitmap);
  return surface;
}

void MemorySurface::reset() {
  if (m_dc != nullptr) {
    if (m_previousBitmap != nullptr) ::SelectObject(m_dc, m_previousBitmap);
    ::DeleteDC(m_dc);
  }
  if (m_bitmap != nullptr) ::DeleteObject(m_bitmap);
  m_dc = nullptr;
  m_bitmap = nullptr;
  m_previousBitmap = nullptr;
}

void MemorySurface::MoveFrom(MemorySurface& other) {
  m_dc = other.m_dc;
  m_bitmap = other.m_bitmap;
  m_previousBitmap = other.m_previousBitmap;
  other.m_dc = nullptr;
  other.m_bitmap = nullptr;
  other.m_previousBitmap = nullptr;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  const BrushOwner brush(::CreateSolidBrush(color));
  if (brush) ::FillRect(dc, &rect, brush.get());
}
