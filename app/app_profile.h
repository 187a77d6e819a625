#pragma once
// The application profile as the schedule's settings store.
#include "app/core/profile_store.h"
#include "afx/app.h"

class AppProfile : public ProfileStore {
 public:
  explicit AppProfile(CWinApp* app) : m_app(app) {}
  int GetInt(const char* section, const char* entry, int defaultValue) override {
    return static_cast<int>(m_app->GetProfileIntA(section, entry, defaultValue));
  }
  bool WriteInt(const char* section, const char* entry, int value) override {
    return m_app->WriteProfileInt(section, entry, value) != FALSE;
  }

 private:
  CWinApp* m_app;
};
