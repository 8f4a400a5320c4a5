/* The demonstration uninstaller shipped with the sample installation: it says
   what it is and names the directory it was given, and deletes nothing,
   whatever its command line. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance;
    (void)previous;
    (void)show;
    /* The directory follows a '/'; quotes around either are dropped. */
    static char directory[MAX_PATH];
    const char *p = commandLine;
    while (*p == ' ' || *p == '"')
        p++;
    if (*p == '/')
        p++;
    int n = 0;
    for (; *p && n < MAX_PATH - 1; p++)
        if (*p != '"')
            directory[n++] = *p;
    directory[n] = '\0';

    static char text[MAX_PATH + 320];
    wsprintfA(text,
              "Untave - version de d\xE9monstration\n\n"
              "Ce programme accompagne l'installation d'exemple de Tavelin. "
              "Il ne supprime aucun fichier.\n\nR\xE9pertoire : %s",
              directory[0] ? directory : "(aucun)");
    MessageBoxA(NULL, text, "D\xE9sinstallation de Tavelin (d\xE9monstration)",
                MB_OK | MB_ICONINFORMATION);
    return 0;
}
