#pragma once
// The banner on the maker's site: downloaded beside the executable when a
// dialog opens, and the site opened when the banner is clicked.
#include <windows.h>

#include <string>

// "<site>ads/<fileName>": where the banner named fileName is downloaded from.
std::string BannerUrl(const char* fileName);

// Downloads the banner and puts it beside the executable as fileName, in one
// step. True when a complete banner arrived (HTTP 200, whole body, a whole
// picture the banner control would show) and replaced the file; on any
// failure the file beside the executable stays as it was. Returns within 5
// seconds whatever the server does.
BOOL FetchBanner(const char* fileName);

// Opens the maker's home page in the default browser.
void OpenMakerSite();
