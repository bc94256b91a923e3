// Move-only owners for Win32 handles. One template; a policy says what an
// empty value is and how a value is released.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/win32/system_proc.h"

namespace trevanil::win32 {

template <class Policy>
class unique_any {
public:
    using value_type = typename Policy::type;

    unique_any() noexcept : value_(Policy::empty()) {}
    explicit unique_any(value_type value) noexcept : value_(value) {}
    ~unique_any() { reset(); }

    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    value_type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return !Policy::isEmpty(value_); }

    value_type release() noexcept { return std::exchange(value_, Policy::empty()); }
    void reset(value_type value = Policy::empty()) noexcept {
        const value_type old = std::exchange(value_, value);
        if (!Policy::isEmpty(old)) Policy::close(old);
    }

private:
    value_type value_;
};

namespace policy {

template <class T, T Empty, auto Close>
struct simple {
    using type = T;
    static T empty() noexcept { return Empty; }
    static bool isEmpty(T value) noexcept { return value == Empty; }
    static void close(T value) noexcept { Close(value); }
};

// Kernel handles whose failure value is null (processes, threads, events).
struct handle {
    using type = HANDLE;
    static HANDLE empty() noexcept { return nullptr; }
    static bool isEmpty(HANDLE h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};

// File handles, whose failure value is INVALID_HANDLE_VALUE.
struct file {
    using type = HANDLE;
    static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isEmpty(HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE || h == nullptr; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};

// Directory searches (FindFirstFile), whose failure value is INVALID_HANDLE_VALUE.
struct find {
    using type = HANDLE;
    static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isEmpty(HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::FindClose(h); }
};

inline void freeLibrary(HMODULE m) noexcept { ::FreeLibrary(m); }
inline void localFree(HLOCAL m) noexcept { ::LocalFree(m); }
inline void deleteBoundary(HANDLE b) noexcept { ::DeleteBoundaryDescriptor(b); }
inline void closeNamespace(HANDLE n) noexcept { ::ClosePrivateNamespace(n, 0); }
inline void deleteObject(HGDIOBJ o) noexcept { ::DeleteObject(o); }
inline void destroyIcon(HICON i) noexcept { ::DestroyIcon(i); }
inline void destroyWindow(HWND w) noexcept { ::DestroyWindow(w); }
// A BSTR (wchar_t*), freed by the oleaut32 that whoever holds it has loaded;
// oleaut32 is not among the program's imports.
inline void freeString(wchar_t* s) noexcept {
    using SysFreeStringFn = void(WINAPI*)(wchar_t*);
    const auto free = systemProc<SysFreeStringFn>(L"oleaut32.dll", "SysFreeString");
    if (free != nullptr) free(s);
}

// COM interface pointers: one Release.
template <class Interface>
struct com {
    using type = Interface*;
    static Interface* empty() noexcept { return nullptr; }
    static bool isEmpty(Interface* p) noexcept { return p == nullptr; }
    static void close(Interface* p) noexcept { p->Release(); }
};

}  // namespace policy

using unique_handle = unique_any<policy::handle>;
using unique_hfile = unique_any<policy::file>;
using unique_hfind = unique_any<policy::find>;
using unique_hlocal = unique_any<policy::simple<HLOCAL, nullptr, policy::localFree>>;
using unique_boundary = unique_any<policy::simple<HANDLE, nullptr, policy::deleteBoundary>>;
using unique_namespace = unique_any<policy::simple<HANDLE, nullptr, policy::closeNamespace>>;
using unique_hmodule = unique_any<policy::simple<HMODULE, nullptr, policy::freeLibrary>>;
using unique_hfont = unique_any<policy::simple<HFONT, nullptr, policy::deleteObject>>;
using unique_hicon = unique_any<policy::simple<HICON, nullptr, policy::destroyIcon>>;
using unique_hwnd = unique_any<policy::simple<HWND, nullptr, policy::destroyWindow>>;
using unique_bstr = unique_any<policy::simple<wchar_t*, nullptr, policy::freeString>>;
template <class Interface>
using unique_com = unique_any<policy::com<Interface>>;

}  // namespace trevanil::win32
