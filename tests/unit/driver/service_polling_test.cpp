// The start and stop rules against a scripted service manager and a recorded sleep: every call
// the rules make goes into one log, so the order of calls, pauses and closes is what is checked.
#include "driver/core/service_polling.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

struct Answer {
    bool answered;
    uint32_t state;
};

constexpr Answer kRunning{true, kServiceRunning};
constexpr Answer kStopped{true, kServiceStopped};
// What a stopped service answers: the call fails with the status filled.
constexpr Answer kFailedStopped{false, kServiceStopped};
// A failed call that filled nothing.
constexpr Answer kFailedEmpty{false, 0};
constexpr Answer kStartPending{true, 2};
constexpr Answer kStopPending{true, 3};

class CFakeServiceManager : public IServiceManager {
public:
    bool m_bManagerOpens = true;
    bool m_bServiceOpens = true;
    bool m_bStartAccepted = true;
    bool m_bStopAccepted = true;
    // Answers to successive interrogations; when they run out the last one repeats.
    std::deque<Answer> m_answers;
    std::vector<std::string> m_log;

    // A callable that logs each pause; passed straight to the rule under test.
    auto Sleeper()
    {
        return [this](uint32_t ms) { m_log.push_back("sleep " + std::to_string(ms)); };
    }

    bool OpenManager() override { return Logged("open manager", m_bManagerOpens); }
    bool OpenDriverService() override { return Logged("open service", m_bServiceOpens); }
    bool Interrogate(uint32_t& state) override
    {
        m_log.push_back("interrogate");
        const Answer answer = m_answers.empty() ? kFailedEmpty : m_answers.front();
        if (m_answers.size() > 1)
            m_answers.pop_front();
        state = answer.state;
        return answer.answered;
    }
    bool Start() override { return Logged("start", m_bStartAccepted); }
    bool Stop() override { return Logged("stop", m_bStopAccepted); }
    void CloseDriverService() override { m_log.push_back("close service"); }
    void CloseManager() override { m_log.push_back("close manager"); }

private:
    bool Logged(const char* call, bool bResult)
    {
        m_log.push_back(call);
        return bResult;
    }
};

using Log = std::vector<std::string>;

// The log of one open, the given calls, and the closes in their fixed order.
Log Framed(Log calls)
{
    Log log{"open manager", "open service"};
    log.insert(log.end(), calls.begin(), calls.end());
    log.push_back("close service");
    log.push_back("close manager");
    return log;
}

// n polls: a pause and an interrogation each.
Log Polls(int n)
{
    Log log;
    for (int i = 0; i < n; ++i) {
        log.push_back("sleep 1000");
        log.push_back("interrogate");
    }
    return log;
}

Log Concat(Log a, const Log& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One case of a rule: the service's answers, whether the manager takes the start or stop request,
// the rule's result and the calls it made between the open and the closes.
struct Case {
    const char* what;
    std::deque<Answer> answers;
    bool bAccepted;
    bool bResult;
    Log calls;
};

template <typename Rule>
void ExpectCases(const std::vector<Case>& cases, bool CFakeServiceManager::*accepted, Rule rule)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeServiceManager scm;
        scm.m_answers = c.answers;
        scm.*accepted = c.bAccepted;
        EXPECT_EQ(rule(scm), c.bResult);
        EXPECT_EQ(scm.m_log, Framed(c.calls));
    }
}

TEST(StartServiceAndWait, StartsPollsAndGivesUpAsTheServiceAnswers)
{
    const Log started = {"interrogate", "start"};
    std::deque<Answer> lateStart(10, kStartPending);
    lateStart.front() = kStopped;
    lateStart.push_back(kRunning);
    // Windows may report the state with a failed call too: only the state counts at first, but
    // a failed call that still carries the running state is not believed while polling.
    const Answer kFailedRunning{false, kServiceRunning};
    ExpectCases(
        {
            {"running: at once, no start, no pause", {kRunning}, true, true, {"interrogate"}},
            {"running, told by a failed call", {kFailedRunning}, true, true, {"interrogate"}},
            {"stopped, starts at once: still one pause", {kStopped, kRunning}, true, true, Concat(started, Polls(1))},
            {"stopped, told by a failed call", {kFailedStopped, kRunning}, true, true, Concat(started, Polls(1))},
            {"a failed call that told nothing", {kFailedEmpty, kRunning}, true, true, Concat(started, Polls(1))},
            {"running at the tenth poll", lateStart, true, true, Concat(started, Polls(10))},
            {"still starting after ten polls", {kStopped, kStartPending}, true, false, Concat(started, Polls(10))},
            {"a failed call saying running, then running", {kStopped, kFailedRunning, kFailedEmpty, kRunning}, true,
             true, Concat(started, Polls(3))},
            {"only failed calls saying running", {kStopped, kFailedRunning}, true, false, Concat(started, Polls(10))},
            {"a refused start, no polling", {kStopped, kRunning}, false, false, started},
        },
        &CFakeServiceManager::m_bStartAccepted,
        [](CFakeServiceManager& scm) { return StartServiceAndWait(scm, scm.Sleeper()); });
}

TEST(StopServiceAndWait, StopsPollsAndGivesUpAsTheServiceAnswers)
{
    ExpectCases(
        {
            {"already stopped: a failure, no stop request", {kStopped}, true, false, {"interrogate"}},
            {"stopped, told by a failed call", {kFailedStopped}, true, false, {"interrogate"}},
            {"stops after one pause at least", {kRunning, kStopped}, true, true,
             Concat({"interrogate", "stop"}, Polls(1))},
            {"a failed interrogation while stopping counts as stopped", {kRunning, kStopPending, kFailedEmpty}, true,
             true, Concat({"interrogate", "stop"}, Polls(2))},
            {"still stopping after ten polls", {kRunning, kStopPending}, true, false,
             Concat({"interrogate", "stop"}, Polls(10))},
            // An interrogation that filled nothing is not "stopped": the stop request is sent.
            {"a refused stop request, no polling", {kFailedEmpty}, false, false, {"interrogate", "stop"}},
        },
        &CFakeServiceManager::m_bStopAccepted,
        [](CFakeServiceManager& scm) { return StopServiceAndWait(scm, scm.Sleeper()); });
}

TEST(ServiceRules, ManagerOrServiceThatDoesNotOpenFailsEveryRuleAndClosesWhatWasOpened)
{
    using Rule = bool (*)(CFakeServiceManager&);
    const Rule rules[] = {
        [](CFakeServiceManager& scm) { return StartServiceAndWait(scm, scm.Sleeper()); },
        [](CFakeServiceManager& scm) { return StopServiceAndWait(scm, scm.Sleeper()); },
        [](CFakeServiceManager& scm) { return IsServiceInState(scm, kServiceRunning); },
        [](CFakeServiceManager& scm) { return IsServiceInState(scm, kServiceStopped); },
        [](CFakeServiceManager& scm) { return RunOnDriverService(scm, [] { return true; }); },
    };
    for (const Rule rule : rules) {
        CFakeServiceManager noManager;
        noManager.m_bManagerOpens = false;
        noManager.m_answers = {kStopped};
        EXPECT_FALSE(rule(noManager));
        EXPECT_EQ(noManager.m_log, Log{"open manager"});

        CFakeServiceManager noService;
        noService.m_bServiceOpens = false;
        noService.m_answers = {kStopped};
        EXPECT_FALSE(rule(noService));
        EXPECT_EQ(noService.m_log, (Log{"open manager", "open service", "close manager"}));
    }
}

TEST(IsServiceInState, OneInterrogationDecidesWithoutWaiting)
{
    struct Case {
        Answer answer;
        bool running;
        bool stopped;
    };
    const Case cases[] = {
        {kRunning, true, false},
        {kStopped, false, true},
        {kFailedStopped, false, true}, // the call's own failure is not looked at
        {kStartPending, false, false},
        {kStopPending, false, false},
        {kFailedEmpty, false, false}, // an unfilled status is neither
    };
    for (const Case& c : cases) {
        CFakeServiceManager running, stopped;
        running.m_answers = {c.answer};
        stopped.m_answers = {c.answer};
        EXPECT_EQ(IsServiceInState(running, kServiceRunning), c.running) << c.answer.state;
        EXPECT_EQ(IsServiceInState(stopped, kServiceStopped), c.stopped) << c.answer.state;
        EXPECT_EQ(running.m_log, Framed({"interrogate"}));
    }
}

} // namespace
