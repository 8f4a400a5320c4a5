/* The demonstration build of Tavelin shipped with the sample installation:
   a window that says what it is and names the file it was given. */
#include <windows.h>

static char fileName[MAX_PATH];

static LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC context = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        char text[MAX_PATH + 160];
        wsprintfA(text,
                  "Tavelin - version de d\xE9monstration\n\n"
                  "Ce programme accompagne l'installation d'exemple.\n\nFichier : %s",
                  fileName[0] ? fileName : "(aucun)");
        SetBkMode(context, TRANSPARENT);
        InflateRect(&area, -16, -16);
        DrawTextA(context, text, -1, &area, DT_LEFT | DT_WORDBREAK);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    /* The file is the command line, with or without quotes; /p asks for print. */
    const char *p = commandLine;
    if (p[0] == '/' && (p[1] == 'p' || p[1] == 'P') && p[2] == ' ')
        p += 3;
    int n = 0;
    for (; *p && n < MAX_PATH - 1; p++)
        if (*p != '"')
            fileName[n++] = *p;
    fileName[n] = '\0';

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DemoWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "TAVELIN");
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TavelinDemo";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "TavelinDemo", "Tavelin (d\xE9monstration)",
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 240,
                                  NULL, NULL, instance, NULL);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
