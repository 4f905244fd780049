#pragma once

#include <string>
#include <vector>

#include <windows.h>

// The COM port names kept as the string values of a registry key, naturally sorted, each once;
// values of other types and empty names are skipped. Nothing when the key cannot be read.
std::vector<std::string> ListRegistrySerialPorts(HKEY root, const std::string& subkey);
