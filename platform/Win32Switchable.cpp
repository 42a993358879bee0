#include "platform/Window.h"

#include <dwmapi.h>
#include <objbase.h>

#include <string.h>
#include <wchar.h>

// Cloaking came with Windows 8 and virtual desktops with Windows 10. Both are reached
// through functions looked up on first use in DLLs of the system folder, so pyxen.exe
// imports neither DLL, starts wherever they are missing, and loads them only once a
// Differs rule meets a window.

namespace {

typedef HRESULT(WINAPI* GetAttributeProc)(HWND, DWORD, PVOID, DWORD);
typedef HRESULT(WINAPI* InitializeProc)(LPVOID, DWORD);
typedef HRESULT(WINAPI* CreateInstanceProc)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// The shell's documented interface (shobjidl_core.h), which MinGW's headers lack.
struct IVirtualDesktopManager : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE IsWindowOnCurrentVirtualDesktop(HWND window,
                                                                      BOOL* onCurrent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowDesktopId(HWND window, GUID* desktop) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveWindowToDesktop(HWND window, REFGUID desktop) = 0;
};

const CLSID desktopManagerClass = {
    0xAA509086, 0x5CA9, 0x4C25, {0x8F, 0x95, 0x58, 0x9D, 0x3C, 0x07, 0xB4, 0x8A}};
const IID desktopManagerInterface = {
    0xA5CD92FF, 0x29BE, 0x454C, {0x8D, 0x04, 0xD8, 0x28, 0x79, 0xFB, 0x3F, 0x1B}};

// A manager that could not be had is sought again at most this often: explorer may be
// restarting, and a process that is refused should not pay for asking at every window.
const DWORD managerRetry = 1000;

IVirtualDesktopManager* desktopManager;

// By full path: the current directory is where the settings are, not where DLLs are.
// Returned untyped, to be cast to the function's own type.
void* SystemFunction(const wchar_t* dll, const char* name)
{
    wchar_t path[MAX_PATH];
    size_t length = GetSystemDirectoryW(path, MAX_PATH);
    size_t nameLength = wcslen(dll);
    if (length == 0 || length + nameLength + 2 > MAX_PATH)
        return NULL;
    path[length] = L'\\';
    memcpy(path + length + 1, dll, (nameLength + 1) * sizeof(wchar_t));
    HMODULE module = LoadLibraryW(path);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : NULL;
}

IVirtualDesktopManager* DesktopManager()
{
    static bool tried;
    static bool absent;  // a Windows without virtual desktops (before Windows 10)
    static DWORD lastTry;
    static CreateInstanceProc createInstance;
    if (desktopManager || absent || (tried && GetTickCount() - lastTry < managerRetry))
        return desktopManager;
    if (!tried) {
        InitializeProc initialize = reinterpret_cast<InitializeProc>(
            SystemFunction(L"ole32.dll", "CoInitializeEx"));
        createInstance = reinterpret_cast<CreateInstanceProc>(
            SystemFunction(L"ole32.dll", "CoCreateInstance"));
        // S_OK, S_FALSE or RPC_E_CHANGED_MODE: COM is usable on this thread in each case.
        if (initialize)
            initialize(NULL, COINIT_APARTMENTTHREADED);
    }
    tried = true;
    lastTry = GetTickCount();
    HRESULT result = createInstance ? createInstance(desktopManagerClass, NULL, CLSCTX_ALL,
                                                     desktopManagerInterface,
                                                     reinterpret_cast<void**>(&desktopManager))
                                    : REGDB_E_CLASSNOTREG;
    if (FAILED(result))
        desktopManager = NULL;
    absent = result == REGDB_E_CLASSNOTREG;
    return desktopManager;
}

}  // namespace

VirtualDesktop DesktopOf(HWND window)
{
    IVirtualDesktopManager* manager = DesktopManager();
    if (!manager)
        return VirtualDesktop::Unknown;
    BOOL onCurrent = FALSE;
    GUID desktop;
    HRESULT result = manager->IsWindowOnCurrentVirtualDesktop(window, &onCurrent);
    if (SUCCEEDED(result) && !onCurrent)
        result = manager->GetWindowDesktopId(window, &desktop);
    if (FAILED(result)) {
        // A manager whose server went away (explorer restarted) fails every call from
        // then on; another is sought.
        if (result == RPC_E_DISCONNECTED || result == CO_E_OBJNOTCONNECTED ||
            result == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)) {
            manager->Release();
            desktopManager = NULL;
        }
        return VirtualDesktop::Unknown;
    }
    if (onCurrent)
        return VirtualDesktop::Current;
    return IsEqualGUID(desktop, GUID_NULL) ? VirtualDesktop::None : VirtualDesktop::Other;
}

bool WindowCloaked(HWND window)
{
    static bool loaded;
    static GetAttributeProc getAttribute;
    if (!loaded) {
        loaded = true;
        getAttribute = reinterpret_cast<GetAttributeProc>(
            SystemFunction(L"dwmapi.dll", "DwmGetWindowAttribute"));
    }
    DWORD cloaked = 0;
    return getAttribute &&
           SUCCEEDED(getAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
}

bool WindowVisible(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

bool WindowOwned(HWND window)
{
    return GetWindow(window, GW_OWNER) != NULL;
}

unsigned long WindowExStyle(HWND window)
{
    return static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE));
}
