#include "banner/banner_fetch.h"

BOOL FetchBanner(const char*) { return FALSE; }
void OpenMakerSite() {}
