#include "app/simulated_port.h"

std::unique_ptr<CSimulatedPort> StartSimulatedPort(int, std::string& error)
{
    error = SimulationUnavailable();
    return nullptr;
}

std::string SimulationUnavailable()
{
    return "--simulate is not available on Windows: the simulated device needs a pseudo-terminal, which "
           "Windows does not have (run `vantrolix-cli simulate` on Linux and use its port from there)";
}
