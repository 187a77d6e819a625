#pragma once
// The banner on the maker's site: downloaded beside the executable when a
// dialog opens, and the site opened when the banner is clicked.
#include <windows.h>

#include <string>

// "<site>ads/<fileName>": where the banner named fileName is downloaded from.
std::string BannerUrl(const char* fileName);

// Downloads the banner into the Windows directory's "Temp\test.gif" and
// copies it beside the executable as fileName. True when a complete banner
// arrived (HTTP 200, whole body, a picture the banner control would show)
// and the copy was attempted; on any failure the file beside the executable
// stays as it was. Returns within 5 seconds
// whatever the server does.
BOOL FetchBanner(const char* fileName);

// Opens the maker's home page in the default browser.
void OpenMakerSite();
