// A windows hook on this thread for the life of an object: the shape every watcher of the
// thread's dialogs, menus and messages shares. Kind is WH_CBT, WH_CALLWNDPROC, ...; Derived
// names the watcher, so that each kind of watcher finds its own object.
#pragma once

#include <windows.h>

template <class Derived, int Kind>
class CThreadHook {
public:
    CThreadHook(const CThreadHook&) = delete;
    CThreadHook& operator=(const CThreadHook&) = delete;

    // The watcher of this kind on this thread; nullptr when there is none.
    static Derived* Current() { return static_cast<Derived*>(t_self); }

protected:
    CThreadHook() : m_hook(::SetWindowsHookExA(Kind, &Proc, nullptr, ::GetCurrentThreadId())) { t_self = this; }
    virtual ~CThreadHook()
    {
        ::UnhookWindowsHookEx(m_hook);
        t_self = nullptr;
    }
    // Every call the system passes on (code >= 0); true keeps it from the hooks set before.
    virtual bool OnHook(int code, WPARAM wParam, LPARAM lParam) = 0;

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        CThreadHook* self = t_self;
        if (self && code >= 0 && self->OnHook(code, wParam, lParam))
            return 0;
        return ::CallNextHookEx(self ? self->m_hook : nullptr, code, wParam, lParam);
    }

    static inline thread_local CThreadHook* t_self = nullptr;
    HHOOK m_hook;
};
