// Loads a schedule from six arbitrary entry texts and checks that an armed
// result always holds a valid time of day and came from an "on" entry.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/core/schedule.h"

namespace {

class SplitProfile : public ProfileStore {
 public:
  explicit SplitProfile(const std::string& data) {
    std::size_t start = 0;
    for (int i = 0; i < 6; ++i) {
      const std::size_t end = data.find('\n', start);
      m_texts.push_back(data.substr(start, end == std::string::npos ? std::string::npos : end - start));
      start = end == std::string::npos ? data.size() : end + 1;
    }
  }
  std::string GetText(const char*, const char* entry) override {
    static const char* const names[] = {"DWSTART", "DWACTION", "DWHOUR", "DWMIN", "DWSEC", "DWDAY"};
    for (int i = 0; i < 6; ++i) {
      if (std::string(entry) == names[i]) return m_texts[i];
    }
    std::abort();
  }
  bool WriteInt(const char*, const char*, int) override { std::abort(); }
  const std::string& Text(int i) const { return m_texts[i]; }

 private:
  std::vector<std::string> m_texts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SplitProfile profile(std::string(reinterpret_cast<const char*>(data), size));
  const ScheduleSettings s = LoadSchedule(profile);
  if (s.enabled != 0) {
    if (!s.timeOfDay.IsValid()) std::abort();
    if (profile.Text(0).empty() || profile.Text(4).empty()) std::abort();
  }
  return 0;
}
