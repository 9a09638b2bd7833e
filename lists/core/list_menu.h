// Which commands the lists' context menu offers for the list it was opened on.
#pragma once

// Select, invert and clear need entries, remove needs a selected entry; adding is always
// offered. The accelerators are not bound by this: on an empty list they simply do nothing.
bool IsListMenuCommandEnabled(unsigned command, int itemCount, bool hasSelection);
