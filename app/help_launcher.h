#pragma once
// Opens the help file beside the executable.
void ShowHelp();
