#pragma once

// Each subcommand of vantrolix-cli adds itself to the application and reports its exit status
// through the shared result slot once it has run.
namespace CLI {
class App;
}

struct CliResult {
    int exitCode = 0;
};

void AddEncodeCommand(CLI::App& app, CliResult& result);
void AddDecodeCommand(CLI::App& app, CliResult& result);
void AddCatalogueCommand(CLI::App& app, CliResult& result);
void AddSimulateCommand(CLI::App& app, CliResult& result);
void AddMonitorCommand(CLI::App& app, CliResult& result);
void AddSessionCommand(CLI::App& app, CliResult& result);
void AddRunCommand(CLI::App& app, CliResult& result);
void AddSweepCommand(CLI::App& app, CliResult& result);
void AddSnoopCommand(CLI::App& app, CliResult& result);
