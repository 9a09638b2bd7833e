// CFunctionRef: a reference to a callable, for a parameter that is called before the function
// that takes it returns. Unlike std::function it neither allocates nor throws, so the service
// library, which carries no C++ runtime, can take the polling rules as they are.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

template <class Signature>
class CFunctionRef;

template <class R, class... Args>
class CFunctionRef<R(Args...)> {
public:
    // The callable must outlive every call; a temporary lives to the end of the caller's
    // statement, which is enough for a parameter.
    template <class F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, CFunctionRef> &&
                 std::is_invocable_r_v<R, F&, Args...>)
    CFunctionRef(F&& callable) noexcept
        : m_pCallable(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          m_pCall([](void* pCallable, Args... args) -> R {
              return (*static_cast<std::remove_reference_t<F>*>(pCallable))(
                  std::forward<Args>(args)...);
          })
    {
    }

    R operator()(Args... args) const { return m_pCall(m_pCallable, std::forward<Args>(args)...); }

private:
    void* m_pCallable;
    R (*m_pCall)(void*, Args...);
};
