// What an entry shows when the shell knows nothing of its path (it no longer exists, or lies
// on a drive that is not there).
#pragma once

#include <string_view>

// A path whose last part has no extension, or that ends in a separator, is shown with the
// folder icon; any other with the icon of its extension. Only the text is looked at.
bool LooksLikeFolderPath(std::string_view path);
