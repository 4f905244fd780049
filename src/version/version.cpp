#include "version/version.h"

std::string VersionText(const std::string& version, const std::string& commit)
{
    return commit.empty() ? version : version + " (commit " + commit + ")";
}

std::string VersionLine(const std::string& program)
{
    return program + " " + VersionText(kVantrolixVersion, kVantrolixCommit);
}
