// When two paths name the same entry of a protection list.
#pragma once

#include "lists/core/admission_rules.h"

// The whole texts are equal without regard to letter case, single-byte characters folded by the
// code page as the admission rules fold them; no normalisation ("C:\A\" and "C:\A" differ).
bool IsSameListedPath(const char* a, const char* b, const AnsiCodePage& codePage);
