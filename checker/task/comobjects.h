// What the parts of the checker that ask MSXML and the Task Scheduler share: the COM apartment
// of a check, owners of BSTRs (interfaces are held in Microsoft::WRL::ComPtr), and HexText
// for the codes they answer with.
#ifndef ZSTARTUP_CHECKER_TASK_COMOBJECTS_H
#define ZSTARTUP_CHECKER_TASK_COMOBJECTS_H

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "helpers/uniqueany.h"

using UniqueBstr = UniqueAny<BSTR, ::SysFreeString>;
using UniqueComApartment = UniqueCall<::CoUninitialize>;

// A single-threaded apartment on this thread, OLE1 DDE off, for as long as the result lives.
// When it cannot be entered, COM calls fail, and their callers report that.
inline UniqueComApartment EnterComApartment()
{
    return UniqueComApartment(SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)));
}

// A copy of text; empty when there is no memory for it.
inline UniqueBstr BstrOf(const wchar_t* text) { return UniqueBstr(SysAllocString(text)); }

// The text, "" for a null BSTR (which COM treats as empty).
inline std::wstring BstrText(const UniqueBstr& text)
{
    return text ? std::wstring(text.Get(), SysStringLen(text.Get())) : std::wstring();
}

// "0x8004131F": an HRESULT, or a task's last result, as Windows' tools show it.
inline std::string HexText(HRESULT value)
{
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

#endif
