// Filling a view from the driver's own copy of its list.
#pragma once

#include "driver/core/enumeration.h"
#include "framework/controls.h"

#include <windows.h>

#include <memory>

// The channel the main window reads the driver's lists through: the device, unless a test plays
// the driver. nullptr when the device cannot be opened (no driver).
using EnumerationOpenFunc = std::unique_ptr<IEnumerationChannel> (*)();
extern EnumerationOpenFunc g_pfnOpenEnumeration;

// Runs one enumeration exchange with the code and appends every entry to the view in the
// driver's order. With bSkipListed, a path already in the view (any letter case) is left out.
// FALSE when the driver's list could not be read whole, a path with a control character
// (which the view never takes) included.
BOOL FillListFromDriver(CListCtrl& list, IEnumerationChannel& channel, DWORD code, BOOL bSkipListed);
