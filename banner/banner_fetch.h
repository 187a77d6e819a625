#pragma once
#include <windows.h>
// Downloads the banner from the maker's site and opens the site on a click.
BOOL FetchBanner(const char* fileName);
void OpenMakerSite();
