#include "platform/desktop_shell.h"

#include "platform/win32.h"

// The service that gives a shell window's top-level browser.
static const GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// The desktop's shell is the automation object of the desktop's own folder view: what
// it opens is opened by Explorer, in the desktop user's session and with its rights.
DesktopShell* PlatformFindDesktopShell()
{
    IShellWindows* windows = 0;
    IDispatch* desktop = 0;
    IServiceProvider* provider = 0;
    IShellBrowser* browser = 0;
    IShellView* view = 0;
    IDispatch* background = 0;
    IShellFolderViewDual* folderView = 0;
    IDispatch* application = 0;
    IShellDispatch2* shell = 0;
    VARIANT anywhere = {};
    long window = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellWindows, 0, CLSCTX_LOCAL_SERVER, IID_IShellWindows, (void**)&windows)) &&
        windows->FindWindowSW(&anywhere, &anywhere, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) == S_OK &&
        desktop && SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, (void**)&provider)) &&
        SUCCEEDED(provider->QueryService(kTopLevelBrowser, IID_IShellBrowser, (void**)&browser)) &&
        SUCCEEDED(browser->QueryActiveShellView(&view)) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, (void**)&background)) &&
        SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, (void**)&folderView)) &&
        SUCCEEDED(folderView->get_Application(&application)) && application)
        application->QueryInterface(IID_IShellDispatch2, (void**)&shell);
    IUnknown* used[] = {windows, desktop, provider, browser, view, background, folderView, application};
    for (IUnknown* each : used)
        if (each)
            each->Release();
    return (DesktopShell*)shell;
}

// A BSTR of the text; null for none or when it cannot be had.
static BSTR WideText(const char* text)
{
    WCHAR wide[512];
    if (!text || !MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512))
        return 0;
    return SysAllocString(wide);
}

int PlatformOpenAsDesktopUser(DesktopShell* desktop, const char* file, const char* parameters)
{
    IShellDispatch2* shell = (IShellDispatch2*)desktop;
    VARIANT arguments = {}, folder = {}, verb = {}, show = {};
    arguments.vt = VT_BSTR;
    arguments.bstrVal = WideText(parameters ? parameters : "");
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    BSTR target = WideText(file);
    int opened = target && arguments.bstrVal && SUCCEEDED(shell->ShellExecute(target, arguments, folder, verb, show));
    SysFreeString(target);
    SysFreeString(arguments.bstrVal);
    return opened;
}

void PlatformReleaseDesktopShell(DesktopShell* desktop)
{
    if (desktop)
        ((IShellDispatch2*)desktop)->Release();
}
