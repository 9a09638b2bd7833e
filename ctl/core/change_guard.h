// What an interruption does to a vtxctl run that changes the driver's lists. Every request
// reaches the driver at once and the list files are written at the end: a run cut short in
// between would leave the files behind the driver, and the driver loads the files at its start.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class CChangeGuard {
public:
    enum class Signal {
        Interrupt,  // Ctrl+C, Ctrl+Break
        End,        // the console closes, the user logs off, the system shuts down
    };

    // A change starts. false when an end was signalled already: then nothing is to be sent.
    bool Begin();
    // The change is over and the list files are written: an end waiting in OnSignal goes on.
    void Finish();
    // An end was signalled: the change sends nothing more and goes on to write the files.
    bool MustStop() const;

    // The answer to a signal: true when it is handled here, false when the process is to end
    // as by default. An interrupt is ignored while a change runs. An end stops the change and
    // waits (at most wait) until its files are written; with no change running it ends the
    // process at once.
    bool OnSignal(Signal signal, std::chrono::milliseconds wait);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_running = false;
    bool m_stop = false;
};
