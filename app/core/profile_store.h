#pragma once
#include <string>

// The settings store the schedule is kept in: entries under a section name,
// read as text and written as decimal integers. On Windows it is the
// application profile; tests use a map.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The entry's text as stored, without surrounding blanks; empty when the
  // entry is missing.
  virtual std::string GetText(const char* section, const char* entry) = 0;
  virtual bool WriteInt(const char* section, const char* entry, int value) = 0;
};
