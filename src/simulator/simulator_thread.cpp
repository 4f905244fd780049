#include "simulator_thread.h"

CSimulatorThread::CSimulatorThread(int modelRow, const SimulatorOptions& options)
    : m_device(modelRow), m_runner(m_line, m_device, options)
{
    if (m_line.Create(m_error))
        m_thread = std::thread([this] { m_runner.Run(m_stop); });
}

CSimulatorThread::~CSimulatorThread()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}
