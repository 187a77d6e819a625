#pragma once
// Turns a banner file into a scene ready to show: decoded within the
// budget, its off-screen surface made and filled. Needs no particular
// thread: a worker may make the scene that the control's thread shows.
#include <windows.h>

#include <memory>
#include <string>

#include "banner/animation_scene.h"
#include "banner/picture_decoder.h"

// The scene of the first length bytes of the movable block, which stays the
// caller's; null when nothing would show. window is the control the scene
// is drawn for: its device context is the surface's model, and it is
// invalidated when the surface changes.
std::shared_ptr<AnimationScene> MakeBannerScene(HGLOBAL block, DWORD length, PictureDecoder decoder, HWND window);

// As MakeBannerScene, from the file at path; null when it cannot be read
// or is larger than a banner may be.
std::shared_ptr<AnimationScene> LoadBannerScene(const std::string& path, PictureDecoder decoder, HWND window);
