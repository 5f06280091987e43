#pragma once
// The one place where exceptions become HRESULTs. Every COM method and
// export runs its body through com_boundary.

#include <windows.h>

#include <new>

namespace Orvane::com {

template <class F>
HRESULT com_boundary(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Raises a failed COM call's HRESULT as _com_error.
[[noreturn]] void throw_com_error(HRESULT hr);

inline void check(HRESULT hr) {
    if (FAILED(hr)) throw_com_error(hr);
}

}  // namespace Orvane::com
