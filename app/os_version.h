#pragma once
// The system's version record, filled once during static initialisation.
#include <windows.h>

// The record in its extended form. Only the platform id and the major version
// are read. All zero when the version call failed.
const OSVERSIONINFOEXA& OsVersionInfo();

// Whether the record has been filled.
bool OsVersionInfoFilled();

// Fills the record unless it is filled already. Runs during static
// initialisation; later calls do nothing.
void FillOsVersionInfo();

// True on an NT-family system at major version 5 or later.
bool IsNt5OrLater();
