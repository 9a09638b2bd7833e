// Environment variables in the lines of a transfer file ("%SystemDrive%\Data"), expanded on the
// machine that imports. The lookup is handed in: the environment is the platform's.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Replaces each %NAME% by the variable's value. A name is one or more characters between two
// '%' with no '\' among them, so "C:\100% Data\50%" holds none and stays as it is. On an
// undefined variable returns false with its name in unknown.
bool ExpandVariables(std::string_view text, const VariableLookup& lookup, std::string& expanded,
                     std::string& unknown);

// The refusal of a line that names an undefined variable: "Unknown variable %NAME%".
std::string UnknownVariableRefusal(const std::string& name);
