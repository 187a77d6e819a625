#pragma once
// Holds one reference to a COM object (a decoded picture, a stream) and
// releases it once.
#include <utility>

template <typename T>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(T* object) : m_object(object) {}  // adopts the caller's reference
  ~ComRef() { reset(); }
  ComRef(ComRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      reset();
      m_object = std::exchange(other.m_object, nullptr);
    }
    return *this;
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  T* get() const { return m_object; }
  T* operator->() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }
  // For functions that hand out a new reference through T**.
  T** put() {
    reset();
    return &m_object;
  }
  void reset() {
    if (m_object != nullptr) m_object->Release();
    m_object = nullptr;
  }

 private:
  T* m_object = nullptr;
};
