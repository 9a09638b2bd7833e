// The installation folder that the installer recorded under the service's key (value vtxapp).
// The one reader of it, for vtx.exe and vtxctl alike.
#pragma once

#include <optional>
#include <string>

// The folder, or nothing when the key or value is missing or holds no complete string. The key
// is opened to query values only: that is all either program needs of it.
std::optional<std::string> ReadServiceInstallDir();
