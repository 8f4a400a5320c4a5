#ifndef TAVELIN_TESTS_UNIT_SETUP_MODULE_H
#define TAVELIN_TESTS_UNIT_SETUP_MODULE_H

#include <windows.h>

#include <stdlib.h>

#include <string>

/* The built SETUP.EXE, as a Windows path. */
inline std::string TestSetupPath()
{
    const char *dir = getenv("TAV_BUILD_DIR");
    std::string path = std::string("Z:") + (dir ? dir : "") + "/SETUP.EXE";
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

/* The built SETUP.EXE, loaded as data: its string table and dialog
   templates, so that the tests use the program's own resources. */
inline HMODULE TestSetupModule()
{
    static HMODULE module = LoadLibraryExA(TestSetupPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

#endif
