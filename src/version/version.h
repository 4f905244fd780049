#pragma once

#include <string>

// Set by the build: the project's version, and the commit it was built from ("" outside a git
// checkout; followed by ", modified" when the checkout had changes).
extern const char* const kVantrolixVersion;
extern const char* const kVantrolixCommit;

// "0.10 (commit 1a2b3c4d5e6f)", or "0.10" when the commit is not known.
std::string VersionText(const std::string& version, const std::string& commit);

// The line `--version` prints: "vantrolix-cli 0.10 (commit 1a2b3c4d5e6f)".
std::string VersionLine(const std::string& program);
