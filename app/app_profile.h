#pragma once
// The application profile as the schedule's settings store.
#include <windows.h>

#include <string>

#include "afx/app.h"
#include "app/core/profile_store.h"

class AppProfile : public ProfileStore {
 public:
  explicit AppProfile(CWinApp* app) : m_app(app) {}
  std::string GetText(const char* section, const char* entry) override {
    return m_app->GetProfileStringA(section, entry, "");
  }
  bool WriteInt(const char* section, const char* entry, int value) override {
    if (m_app->WriteProfileInt(section, entry, value)) return true;
    m_lastError = ::GetLastError();
    return false;
  }
  // The system's error of the last write that failed.
  DWORD LastError() const { return m_lastError; }

 private:
  CWinApp* m_app;
  DWORD m_lastError = 0;
};
