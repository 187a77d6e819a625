#pragma once
// Owns one WININET handle (session, connection or request) and closes it once.
#include <windows.h>
#include <wininet.h>

#include "afx/handles.h"

using InternetHandle = UniqueHandle<HINTERNET, &::InternetCloseHandle>;
