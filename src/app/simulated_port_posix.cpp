#include "app/simulated_port.h"

#include "simulator/simulator_thread.h"

namespace {

class CThreadPort : public CSimulatedPort {
public:
    explicit CThreadPort(int model) : m_thread(model, SimulatorOptions{}) {}
    const std::string& PortName() const override { return m_thread.PortName(); }
    const CSimulatorThread& Thread() const { return m_thread; }

private:
    CSimulatorThread m_thread;
};

} // namespace

std::unique_ptr<CSimulatedPort> StartSimulatedPort(int model, std::string& error)
{
    auto port = std::make_unique<CThreadPort>(model);
    if (!port->Thread().Started()) {
        error = port->Thread().Error();
        return nullptr;
    }
    return port;
}

std::string SimulationUnavailable() { return {}; }
