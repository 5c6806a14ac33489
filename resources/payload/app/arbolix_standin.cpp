// A stand-in for the Arbolix application in the default payload: one window with
// the product name and the document it was started with. Started with "/install"
// (as the setup program does unless asked to launch it) it ends at once.
#include <string.h>

#include "common/product.h"
#include "platform/win32.h"

static char g_document[MAX_PATH];

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        SetBkMode(dc, TRANSPARENT);
        area.top += 24;
        DrawTextA(dc, kDisplayName, -1, &area, DT_CENTER | DT_SINGLELINE);
        area.top += 32;
        DrawTextA(dc, g_document[0] ? g_document : "(no document)", -1, &area,
                  DT_CENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    for (int i = 1; i < __argc; ++i) {
        if (!lstrcmpiA(__argv[i], "/install"))
            return 0;
        if (!g_document[0] && strlen(__argv[i]) < sizeof g_document)
            strcpy(g_document, __argv[i]);
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(0, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "ArbolixStandIn";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, kDisplayName, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 480, 200, 0, 0, instance, 0);
    if (!window)
        return 1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
