/* The benchmark's yardsticks for the copy of SETUP.EXE:
     copyfloor posted LIST DEST   the design's floor: 8 KiB per posted window
                                  message, with no painting at all
     copyfloor plain LIST DEST    a plain 8 KiB ReadFile/WriteFile loop
     copyfloor written LIST DEST  the plain loop's writes alone: each file made
                                  and written from memory, 8 KiB a call, with no
                                  source opened or read (as an installer that
                                  carries its payload in one file writes it)
   LIST holds one source path per line (Windows paths), and after a tab the
   name to give it under DEST (folders included, made beforehand: the
   payload's folders, so that a new file's directory holds no more than its
   own folder's files); without one, DEST and the source's name. Prints the
   copy's time in milliseconds. Where the
   timed span begins and ends it asks for an event named CopyFloor-mark
   (there is none): a trace of its server requests shows the span. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

static std::vector<std::string> sources;
static std::vector<std::string> targets;
static std::string destination;
static size_t current = 0;
static HANDLE in = INVALID_HANDLE_VALUE, out = INVALID_HANDLE_VALUE;
static char buffer[8192];
/* A file not opened or not written whole: the time would be of less work. */
static int failures = 0;

static void Mark()
{
    HANDLE none = OpenEventA(SYNCHRONIZE, FALSE, "CopyFloor-mark");
    if (none != NULL)
        CloseHandle(none);
}

static bool OpenNext()
{
    while (current < sources.size()) {
        const std::string &source = sources[current];
        std::string target = destination + "\\" + targets[current++];
        in = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                          FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE)
            return true;
        fprintf(stderr, "copyfloor: cannot open %s or %s\n", source.c_str(), target.c_str());
        failures++;
        if (in != INVALID_HANDLE_VALUE)
            CloseHandle(in);
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
    }
    return false;
}

/* One chunk; false when the file is done. */
static bool Chunk()
{
    DWORD got = 0, put = 0;
    bool read = ReadFile(in, buffer, sizeof buffer, &got, NULL) != 0;
    bool written = read && (got == 0 || (WriteFile(out, buffer, got, &put, NULL) && put == got));
    if (!read || !written)
        failures++;
    if (!written || got < sizeof buffer) {
        CloseHandle(in);
        CloseHandle(out);
        return false;
    }
    return true;
}

static LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) {
        if (Chunk())
            PostMessageA(window, WM_USER, 0, 0);
        else if (OpenNext())
            PostMessageA(window, WM_USER, 0, 0);
        else
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: copyfloor posted|plain LIST DEST\n");
        return 2;
    }
    FILE *list = fopen(argv[2], "r");
    if (!list)
        return 2;
    char line[1024];
    while (fgets(line, sizeof line, list)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (!line[0])
            continue;
        char *tab = strchr(line, '\t');
        if (tab != NULL)
            *tab = '\0';
        const char *name = strrchr(line, '\\');
        sources.push_back(line);
        targets.push_back(tab != NULL ? tab + 1 : name != NULL ? name + 1 : line);
    }
    fclose(list);
    destination = argv[3];

    /* the sizes the writes alone write, taken before the time starts */
    std::vector<LARGE_INTEGER> sizes(sources.size());
    bool written = strcmp(argv[1], "written") == 0;
    for (size_t i = 0; written && i < sources.size(); i++) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(sources[i].c_str(), GetFileExInfoStandard, &data))
            return 2;
        sizes[i].LowPart = data.nFileSizeLow;
        sizes[i].HighPart = (LONG)data.nFileSizeHigh;
    }

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    Mark();
    QueryPerformanceCounter(&start);
    if (written) {
        for (size_t i = 0; i < sources.size(); i++) {
            std::string target = destination + "\\" + targets[i];
            out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
            if (out == INVALID_HANDLE_VALUE) {
                failures++;
                continue;
            }
            for (LONGLONG left = sizes[i].QuadPart; left > 0; left -= sizeof buffer) {
                DWORD n = left < (LONGLONG)sizeof buffer ? (DWORD)left : sizeof buffer, put = 0;
                if (!WriteFile(out, buffer, n, &put, NULL) || put != n) {
                    failures++;
                    break;
                }
            }
            CloseHandle(out);
        }
    } else if (strcmp(argv[1], "plain") == 0) {
        while (OpenNext())
            while (Chunk())
                ;
    } else {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = FloorProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "CopyFloor";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowA("CopyFloor", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, NULL, NULL,
                                    windowClass.hInstance, NULL);
        if (OpenNext())
            PostMessageA(window, WM_USER, 0, 0);
        else
            PostQuitMessage(0);
        MSG message;
        while (GetMessageA(&message, NULL, 0, 0) > 0)
            DispatchMessageA(&message);
    }
    QueryPerformanceCounter(&end);
    Mark();
    if (failures != 0) {
        fprintf(stderr, "copyfloor: %d files not copied whole\n", failures);
        return 1;
    }
    printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    return 0;
}
