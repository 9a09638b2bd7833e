// Environment variables in the lines of a transfer file ("%SystemDrive%\Data"), expanded on the
// machine that imports. The lookup is handed in: the environment is the platform's.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;

enum class Expansion {
    Done,
    UnknownVariable,  // its name in unknown
    TooLong,          // grew past maxLength: a value can be long, and many references longer
};

// Replaces each %NAME% by the variable's value. A name is one or more characters between two
// '%' with no '\' among them, so "C:\100% Data\50%" holds none and stays as it is. Stops at
// an undefined variable, or once a value makes the text longer than maxLength.
Expansion ExpandVariables(std::string_view text, const VariableLookup& lookup, size_t maxLength,
                          std::string& expanded, std::string& unknown);

// The refusal of a line that names an undefined variable: "Unknown variable %NAME%".
std::string UnknownVariableRefusal(const std::string& name);
