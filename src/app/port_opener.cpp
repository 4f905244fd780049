#include "app/port_opener.h"

#include "serial/serial_port.h"

CPortOpener::CPortOpener(QObject* owner, CSerialPort& port, const LineSettings& settings, Done done)
    : m_port(port), m_settings(settings), m_done(std::move(done))
{
    moveToThread(owner->thread());
}

CPortOpener::~CPortOpener()
{
    Stop();
}

void CPortOpener::Open(const std::string& name)
{
    Post(name, false);
}

void CPortOpener::Retry(const std::string& name)
{
    Post(name, true);
}

void CPortOpener::Post(const std::string& name, bool retry)
{
    if (m_stop)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_request = Request{++m_generation, name, retry};
    }
    m_busy = true;
    m_wake.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void CPortOpener::Cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_request.reset();
        ++m_generation;
    }
    m_busy = false;
}

void CPortOpener::Stop()
{
    Cancel();
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CPortOpener::Run()
{
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_request; });
            if (m_stop)
                return;
            request = std::move(*m_request);
            m_request.reset();
        }
        Outcome outcome;
        outcome.retry = request.retry;
        if (!request.retry)
            m_port.Close();
        outcome.opened = m_port.Open(request.name, m_settings,
                                     [this, generation = request.generation] { return Superseded(generation); });
        if (!outcome.opened)
            outcome.error = m_port.GetOpenError();
        if (Superseded(request.generation))
            continue;
        {
            std::lock_guard lock(m_mutex);
            m_ready.emplace(request.generation, std::move(outcome));
        }
        QMetaObject::invokeMethod(this, &CPortOpener::Deliver, Qt::QueuedConnection);
    }
}

void CPortOpener::Deliver()
{
    std::optional<std::pair<unsigned, Outcome>> ready;
    {
        std::lock_guard lock(m_mutex);
        ready.swap(m_ready);
    }
    // A request made since has its own outcome coming.
    if (!ready || ready->first != m_generation.load())
        return;
    m_busy = false;
    m_done(ready->second);
}
