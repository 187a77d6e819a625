#pragma once
// COM, apartment-threaded, on the calling thread for the owner's lifetime:
// the shell needs it to start a browser registered through COM.
#include <objbase.h>

class ComApartment {
 public:
  ComApartment()
      : m_initialised(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (m_initialised) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool initialised() const { return m_initialised; }

 private:
  bool m_initialised;
};
