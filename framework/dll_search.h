// The DLL search of a program that runs with administrative rights.
#pragma once

// A DLL planted in the current folder (or anywhere on PATH) must not be loaded in place of a
// system one: from here on only the system folder and the program's own folder are searched.
// Windows 7 without KB2533623 lacks the call; the search is then left as it is.
void RestrictDllSearch();
