// Message maps: one const table per window class that reads like a command table.
//
//   const MessageEntry CSampleDlg::messageEntries[] = {
//       OnWm<WM_PAINT, &CSampleDlg::OnPaint>(),
//       OnCommand<&CSampleDlg::OnApply>(IDC_APPLY),
//       OnNotify<&CSampleDlg::OnRClickItems>(NM_RCLICK, IDC_ITEMS),
//   };
//   const MessageMap CSampleDlg::messageMap{&CDialog::messageMap, messageEntries};
//
// The entries are a static member so that the handlers, often protected, may be named there.
//
// Each factory checks the handler's signature at compile time: a handler of the wrong shape for
// its message does not compile. A message without an entry (in the class or its bases) goes to
// the window's previous procedure; a handler that wants that default calls CWnd::Default().
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <type_traits>

class CWnd;

struct MessageEntry {
    UINT message;
    UINT code;  // notification code for WM_COMMAND and WM_NOTIFY entries
    UINT id;    // control or command id for WM_COMMAND and WM_NOTIFY entries
    LRESULT (*call)(CWnd& self, WPARAM wParam, LPARAM lParam);
};

// Command entries match both a button or menu command (code 0) and an accelerator (code 1).
constexpr UINT kAnyCommandCode = 0xFFFFFFFFu;

class MessageMap {
public:
    template <size_t N>
    constexpr MessageMap(const MessageMap* base, const MessageEntry (&entries)[N])
        : m_base(base), m_entries(entries), m_count(N) {}
    constexpr explicit MessageMap(const MessageMap* base) : m_base(base) {}

    // The entry for a message, searched in this class first, then in its bases.
    const MessageEntry* Find(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    const MessageMap* m_base;
    const MessageEntry* m_entries = nullptr;
    size_t m_count = 0;
};

namespace msgmap_detail {
template <class> struct MemberOf;
template <class T, class R, class... A> struct MemberOf<R (T::*)(A...)> { using Class = T; };
template <auto F> using ClassOf = typename MemberOf<decltype(F)>::Class;
}  // namespace msgmap_detail

// How a standard message's parameters reach its handler: one specialisation per message,
// with the framework's conventional handler signature.
template <UINT Msg> struct MessageCracker;

#define MSGMAP_CRACKER(MSG, SIGNATURE, CALL)                                                     \
    template <> struct MessageCracker<MSG> {                                                     \
        template <class T> using Handler = SIGNATURE;                                            \
        template <class T, Handler<T> F> static LRESULT Call(T& t, WPARAM wParam, LPARAM lParam) \
        {                                                                                        \
            (void)wParam;                                                                        \
            (void)lParam;                                                                        \
            CALL;                                                                                \
        }                                                                                        \
    }

MSGMAP_CRACKER(WM_PAINT, void (T::*)(), (t.*F)(); return 0);
MSGMAP_CRACKER(WM_CLOSE, void (T::*)(), (t.*F)(); return 0);
MSGMAP_CRACKER(WM_CANCELMODE, void (T::*)(), (t.*F)(); return 0);
MSGMAP_CRACKER(WM_QUERYDRAGICON, HCURSOR (T::*)(), return reinterpret_cast<LRESULT>((t.*F)()));
MSGMAP_CRACKER(WM_SYSCOMMAND, void (T::*)(UINT, LPARAM), (t.*F)(static_cast<UINT>(wParam), lParam); return 0);
MSGMAP_CRACKER(WM_TIMER, void (T::*)(UINT_PTR), (t.*F)(static_cast<UINT_PTR>(wParam)); return 0);
MSGMAP_CRACKER(WM_SIZE, void (T::*)(UINT, int, int),
            (t.*F)(static_cast<UINT>(wParam), (short)LOWORD(lParam), (short)HIWORD(lParam)); return 0);
MSGMAP_CRACKER(WM_SETCURSOR, BOOL (T::*)(HWND, UINT, UINT),
            return (t.*F)(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam)));
MSGMAP_CRACKER(WM_NCHITTEST, LRESULT (T::*)(POINT),
            return (t.*F)(POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)}));
MSGMAP_CRACKER(WM_SETFOCUS, void (T::*)(HWND), (t.*F)(reinterpret_cast<HWND>(wParam)); return 0);
MSGMAP_CRACKER(WM_KILLFOCUS, void (T::*)(HWND), (t.*F)(reinterpret_cast<HWND>(wParam)); return 0);
MSGMAP_CRACKER(WM_LBUTTONDOWN, void (T::*)(UINT, POINT),
            (t.*F)(static_cast<UINT>(wParam), POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)}); return 0);
MSGMAP_CRACKER(WM_LBUTTONUP, void (T::*)(UINT, POINT),
            (t.*F)(static_cast<UINT>(wParam), POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)}); return 0);
MSGMAP_CRACKER(WM_KEYDOWN, void (T::*)(UINT, UINT, UINT),
            (t.*F)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0);
MSGMAP_CRACKER(WM_GETDLGCODE, UINT (T::*)(), return (t.*F)());
MSGMAP_CRACKER(WM_ENDSESSION, void (T::*)(BOOL), (t.*F)(static_cast<BOOL>(wParam != 0)); return 0);
#undef MSGMAP_CRACKER

// A standard message with its cracked parameters: OnWm<WM_PAINT, &C::OnPaint>().
template <UINT Msg, auto F> constexpr MessageEntry OnWm()
{
    using T = msgmap_detail::ClassOf<F>;
    static_assert(std::is_same_v<decltype(F), typename MessageCracker<Msg>::template Handler<T>>,
                  "the handler's signature does not fit this message");
    return {Msg, 0, 0, [](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                return MessageCracker<Msg>::template Call<T, F>(static_cast<T&>(w), wp, lp);
            }};
}

// Any message with its raw parameters: LRESULT OnX(WPARAM, LPARAM).
template <auto F> constexpr MessageEntry OnMessage(UINT message)
{
    using T = msgmap_detail::ClassOf<F>;
    static_assert(std::is_same_v<decltype(F), LRESULT (T::*)(WPARAM, LPARAM)>,
                  "a message handler is LRESULT OnX(WPARAM, LPARAM)");
    return {message, 0, 0, [](CWnd& w, WPARAM wp, LPARAM lp) -> LRESULT {
                return (static_cast<T&>(w).*F)(wp, lp);
            }};
}

// A command from a button, a menu or an accelerator: void OnX().
template <auto F> constexpr MessageEntry OnCommand(UINT id)
{
    using T = msgmap_detail::ClassOf<F>;
    static_assert(std::is_same_v<decltype(F), void (T::*)()>, "a command handler is void OnX()");
    return {WM_COMMAND, kAnyCommandCode, id, [](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*F)();
                return 0;
            }};
}

// A control notification that arrives as WM_COMMAND (EN_CHANGE, BN_CLICKED): void OnX().
template <auto F> constexpr MessageEntry OnControl(UINT code, UINT id)
{
    using T = msgmap_detail::ClassOf<F>;
    static_assert(std::is_same_v<decltype(F), void (T::*)()>, "a control handler is void OnX()");
    return {WM_COMMAND, code, id, [](CWnd& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*F)();
                return 0;
            }};
}

// A WM_NOTIFY notification: void OnX(NMHDR*, LRESULT*); the handler sets the result.
template <auto F> constexpr MessageEntry OnNotify(UINT code, UINT id)
{
    using T = msgmap_detail::ClassOf<F>;
    static_assert(std::is_same_v<decltype(F), void (T::*)(NMHDR*, LRESULT*)>,
                  "a notification handler is void OnX(NMHDR*, LRESULT*)");
    return {WM_NOTIFY, code, id, [](CWnd& w, WPARAM, LPARAM lp) -> LRESULT {
                LRESULT result = 0;
                (static_cast<T&>(w).*F)(reinterpret_cast<NMHDR*>(lp), &result);
                return result;
            }};
}
