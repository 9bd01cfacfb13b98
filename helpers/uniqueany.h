// UniqueAny: the one owner of a Windows handle (or pointer) that is given back with one close
// function, and the owners built from it. UniqueCall: a call that undoes something that has no
// handle, made once when its owner goes.
#ifndef ZSTARTUP_HELPERS_UNIQUEANY_H
#define ZSTARTUP_HELPERS_UNIQUEANY_H

#include <windows.h>

#include <cstdint>

// Owns a Handle (a pointer type) and calls Close on it when it goes, when reset or when it is
// moved onto; a Handle equal to Invalid (as a number: INVALID_HANDLE_VALUE is -1) owns nothing.
template <typename Handle, auto Close, std::intptr_t Invalid = 0>
class UniqueAny {
public:
    UniqueAny() = default;
    // Takes handle over; the invalid value leaves it empty.
    explicit UniqueAny(Handle handle) : handle(handle) {}
    ~UniqueAny() { Reset(); }

    UniqueAny(const UniqueAny&) = delete;             // one owner closes the handle
    UniqueAny& operator=(const UniqueAny&) = delete;  // one owner closes the handle
    UniqueAny(UniqueAny&& other) noexcept : handle(other.Release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle; }
    explicit operator bool() const { return handle != InvalidHandle(); }
    // Closes what it owns, and takes handle over.
    void Reset(Handle replacement = InvalidHandle())
    {
        if (handle != InvalidHandle()) Close(handle);
        handle = replacement;
    }
    // Gives the handle up without closing it.
    Handle Release()
    {
        const Handle released = handle;
        handle = InvalidHandle();
        return released;
    }
    // Closes what it owns; for the calls that return a handle through a Handle*.
    Handle* Put()
    {
        Reset();
        return &handle;
    }

private:
    static Handle InvalidHandle() { return reinterpret_cast<Handle>(Invalid); }

    Handle handle = InvalidHandle();
};

// The kernel's handles that are null when there is none (tokens, events, processes).
using UniqueHandle = UniqueAny<HANDLE, ::CloseHandle>;
// CreateFile's, which is INVALID_HANDLE_VALUE when there is none.
using UniqueFile = UniqueAny<HANDLE, ::CloseHandle, -1>;
using UniqueServiceHandle = UniqueAny<SC_HANDLE, ::CloseServiceHandle>;
using UniqueKey = UniqueAny<HKEY, ::RegCloseKey>;
using UniqueModule = UniqueAny<HMODULE, ::FreeLibrary>;
// Memory the system allocated for the caller with LocalAlloc: SID strings and SIDs, argument
// lists, security descriptors.
template <typename Pointer>
using UniqueLocal = UniqueAny<Pointer, ::LocalFree>;

// Calls Undo once when it goes, if it was armed: for what a call without a handle undoes.
template <auto Undo>
class UniqueCall {
public:
    explicit UniqueCall(bool armed) : armed(armed) {}
    ~UniqueCall()
    {
        if (armed) Undo();
    }

    UniqueCall(const UniqueCall&) = delete;             // undoes once
    UniqueCall& operator=(const UniqueCall&) = delete;  // undoes once

private:
    bool armed;
};

#endif
