// ComPointer, Bstr and ComSession: owners of COM interface pointers, BSTRs and this thread's
// apartment, for the parts of the checker that ask MSXML and the Task Scheduler; HexText for the
// codes they answer with.
#ifndef ZSTARTUP_CHECKER_TASK_COMOBJECTS_H
#define ZSTARTUP_CHECKER_TASK_COMOBJECTS_H

#include <windows.h>
#include <oleauto.h>

#include <string>

// Releases the interface it holds when it goes.
template <typename Interface>
class ComPointer {
public:
    ComPointer() : pointer(nullptr) {}
    ~ComPointer() { Reset(); }

    ComPointer(const ComPointer&) = delete;             // owns one reference
    ComPointer& operator=(const ComPointer&) = delete;  // owns one reference
    ComPointer(ComPointer&& other) noexcept : pointer(other.pointer) { other.pointer = nullptr; }
    ComPointer& operator=(ComPointer&& other) noexcept
    {
        if (this != &other) {
            Reset();
            pointer = other.pointer;
            other.pointer = nullptr;
        }
        return *this;
    }

    Interface* operator->() const { return pointer; }
    Interface* Get() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }
    // Releases what it holds; for the calls that return an interface through Interface**.
    Interface** Out()
    {
        Reset();
        return &pointer;
    }
    // The same, for calls that return it through void**.
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

private:
    void Reset()
    {
        if (pointer != nullptr) pointer->Release();
        pointer = nullptr;
    }

    Interface* pointer;
};

// Frees the BSTR it holds when it goes.
class Bstr {
public:
    Bstr() : text(nullptr) {}
    // A copy of text; null when there is no memory for it.
    explicit Bstr(const wchar_t* text) : text(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(text); }

    Bstr(const Bstr&) = delete;             // owns the string
    Bstr& operator=(const Bstr&) = delete;  // owns the string

    BSTR Get() const { return text; }
    // Frees what it holds; for the calls that return a BSTR through BSTR*.
    BSTR* Out()
    {
        SysFreeString(text);
        text = nullptr;
        return &text;
    }
    // The text, "" for a null BSTR (which COM treats as empty).
    std::wstring Text() const { return text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

private:
    BSTR text;
};

// A single-threaded apartment on this thread for as long as it lives (inside one already
// entered, a nested one); without it COM calls fail, which their callers report.
class ComSession {
public:
    ComSession() : entered(SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComSession()
    {
        if (entered) CoUninitialize();
    }

    ComSession(const ComSession&) = delete;             // leaves the apartment once
    ComSession& operator=(const ComSession&) = delete;  // leaves the apartment once

private:
    bool entered;
};

// "0x8004131F": an HRESULT, or a task's last result, as Windows' tools show it.
inline std::string HexText(HRESULT value)
{
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

#endif
