// Handle, record and constant types of the desktop interface the program is written against.
// These are our own declarations with the published values and field order; the program never
// sees a toolkit type.
#pragma once

#include <cstdint>

namespace platform {

using HWND = std::uintptr_t;   // 0 is "no window"
using HANDLE = std::uint32_t;  // kernel object handle, 0 is "none"
using LRESULT = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;

// A C toolkit header included first may have made TRUE and FALSE macros of the same values;
// those then stand.
#ifndef TRUE
constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
constexpr BOOL FALSE = 0;
#endif

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

// The size-limit record a window procedure fills in for WM_GETMINMAXINFO.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};
static_assert(sizeof(MINMAXINFO) == 40, "MINMAXINFO is a 40-byte record");

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Messages.
constexpr UINT WM_GETMINMAXINFO = 0x24;
constexpr UINT WM_NCLBUTTONDOWN = 0xA1;

// Hit-test codes handed with WM_NCLBUTTONDOWN.
constexpr WPARAM HTCAPTION = 2;
constexpr WPARAM HTLEFT = 10;
constexpr WPARAM HTRIGHT = 11;
constexpr WPARAM HTTOP = 12;
constexpr WPARAM HTTOPLEFT = 13;
constexpr WPARAM HTTOPRIGHT = 14;
constexpr WPARAM HTBOTTOM = 15;
constexpr WPARAM HTBOTTOMLEFT = 16;
constexpr WPARAM HTBOTTOMRIGHT = 17;

// SetWindowLongA index.
constexpr int GWL_WNDPROC = -4;

// SystemParametersInfoA action.
constexpr UINT SPI_SETDRAGFULLWINDOWS = 0x25;

// Message boxes.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_YESNO = 0x4;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Waiting.
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD QS_ALLINPUT_0xFF = 0xFF;  // key, mouse, posted, timer, paint, sent, hot-key

// Last-error values.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;

}  // namespace platform
