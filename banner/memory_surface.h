#pragma once
// An off-screen drawing surface: a memory device context with a bitmap of
// its own selected into it. Destruction selects the original bitmap back and
// deletes both.
#include <windows.h>

class MemorySurface {
 public:
  MemorySurface() = default;
  // A surface of width x height compatible with reference; empty on failure,
  // with whatever part was made already released.
  static MemorySurface Create(HDC reference, int width, int height);

  ~MemorySurface() { reset(); }
  MemorySurface(MemorySurface&& other) noexcept { MoveFrom(other); }
  MemorySurface& operator=(MemorySurface&& other) noexcept {
    if (this != &other) {
      reset();
      MoveFrom(other);
    }
    return *this;
  }
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;

  HDC dc() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }
  void reset();

 private:
  void MoveFrom(MemorySurface& other);

  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_previousBitmap = nullptr;
};

// Fills rect of dc with a solid colour; skipped when no brush can be made.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
