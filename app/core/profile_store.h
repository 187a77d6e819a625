#pragma once

// The settings store the schedule is kept in: integer entries under a section
// name. On Windows it is the application profile; tests use a map.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual int GetInt(const char* section, const char* entry, int defaultValue) = 0;
  virtual bool WriteInt(const char* section, const char* entry, int value) = 0;
};
