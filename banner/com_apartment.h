#pragma once
// COM on the calling thread for the owner's lifetime. Apartment-threaded by
// default: the shell needs it to start a browser registered through COM. A
// thread that pumps no messages takes the multithreaded apartment.
#include <objbase.h>

class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
      : m_initialised(SUCCEEDED(::CoInitializeEx(nullptr, model | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (m_initialised) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool initialised() const { return m_initialised; }

 private:
  bool m_initialised;
};
