/* A program that, unlike SETUP.EXE, leaves the DLL search as it is: it shows
   a message box, as SETUP.EXE does, and with TAV_PROBE_LOAD set it then asks
   for every DLL of its own directory by name. It shows that planted DLLs run
   when nothing stops them. */
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(NULL, "sonde", "sonde", MB_OK | MB_ICONINFORMATION);
    if (GetEnvironmentVariableA("TAV_PROBE_LOAD", NULL, 0) == 0)
        return 0;
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    std::string dir(self, n);
    dir.resize(dir.rfind('\\'));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    do
        LoadLibraryA(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return 0;
}
