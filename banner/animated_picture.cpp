#include "banner/animated_picture.h"

CAnimatedPicture::CAnimatedPicture() = default;
CAnimatedPicture::~CAnimatedPicture() = default;

BOOL CAnimatedPicture::LoadFromFile(const std::string&) { return FALSE; }
BOOL CAnimatedPicture::Start() { return FALSE; }
void CAnimatedPicture::Stop() {}
