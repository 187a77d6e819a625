#pragma once
// The banner of both windows, without making them wait: the file beside the
// executable is shown first, then the site's banner once it has replaced it.
#include <windows.h>

#include "afx/handles.h"
#include "banner/animated_picture.h"

// Returns at once. A worker thread reads and decodes the banner file named
// fileName beside the executable, then downloads the site's banner (within
// the download's limits) and, when that replaced the file, decodes it too;
// each banner made reaches picture through its mailbox and plays once
// picture is started. Until then picture shows what it showed, or nothing.
// The answer is the worker's handle, for a caller that waits for it: the
// work goes on when it is closed. Empty when no worker could be started,
// and then the file beside the executable was loaded here.
KernelHandle ShowBannerInBackground(CAnimatedPicture& picture, const char* fileName);
