// Shortcut files for tests: made by the shell link object, or written byte by byte where the
// object would change the target text.
#pragma once

#include <string>

// A shortcut to target made as the shell makes one (IShellLink::SetPath, IPersistFile::Save).
bool WriteShortcut(const std::string& file, const std::string& target);

// A shortcut whose stored target is exactly the given text, unexpanded, as Windows stores a
// target that begins with an environment variable: no item list, no link information, the text
// as the relative path and in an environment-variable data block (the shell-link file format).
// The shell link object's SetPath would make such a target absolute first.
bool WriteRawTargetShortcut(const std::string& file, const std::string& target);

// A shortcut to the computer itself: an item without a file-system path.
bool WriteComputerShortcut(const std::string& file);
