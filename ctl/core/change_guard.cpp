#include "ctl/core/change_guard.h"

bool CChangeGuard::Begin()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop)
        return false;
    m_running = true;
    return true;
}

void CChangeGuard::Finish()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
    }
    m_finished.notify_all();
}

bool CChangeGuard::MustStop() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_stop;
}

bool CChangeGuard::OnSignal(Signal signal, std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (signal == Signal::Interrupt)
        return m_running;
    m_stop = true;
    if (!m_running)
        return false;
    m_finished.wait_for(lock, wait, [this] { return !m_running; });
    return true;
}
