#pragma once

#include <string>
#include <string_view>

// The model row for a name typed on the command line: the exact name first, as the builder
// matches a device's answer; then any case, for typing. -1 when no model has the name.
int FindModelArgument(std::string_view name);

// The error text for a name that matches no model, listing the models.
std::string UnknownModelText(std::string_view name);
