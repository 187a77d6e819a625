#include "app/help_launcher.h"

void ShowHelp() {}
