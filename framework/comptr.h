// CComPtr: owns one reference to a COM interface and releases it when it goes.
#pragma once

#include <unknwn.h>

template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Release(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    // Holds its own reference to p (or nothing), letting go of the one held before.
    CComPtr& operator=(T* p)
    {
        if (p)
            p->AddRef();
        Release();
        m_p = p;
        return *this;
    }

    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    T* Get() const { return m_p; }

    // For a call that hands out a new reference: the old one is released first.
    T** operator&()
    {
        Release();
        return &m_p;
    }

    void Release()
    {
        if (m_p) {
            m_p->Release();
            m_p = nullptr;
        }
    }

    template <class Q>
    HRESULT QueryInterface(REFIID iid, CComPtr<Q>& out) const
    {
        return m_p->QueryInterface(iid, reinterpret_cast<void**>(&out));
    }

private:
    T* m_p = nullptr;
};
