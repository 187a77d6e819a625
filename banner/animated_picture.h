#pragma once
// A static control that shows a still picture or plays an animated GIF.
#include <string>

#include "afx/controls.h"

class CAnimatedPicture : public CStatic {
 public:
  CAnimatedPicture();
  ~CAnimatedPicture() override;
  BOOL LoadFromFile(const std::string& path);
  BOOL Start();
  void Stop();
};
