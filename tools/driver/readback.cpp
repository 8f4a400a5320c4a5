#include "tools/driver/internal.h"

#include <objbase.h>
#include <shobjidl.h>

using namespace driver;

bool DriverReadRegistryString(HKEY root, const std::string &path, const std::string &name,
                              std::string *value, REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return false;
    std::wstring valueName = Wide(name);
    const wchar_t *namePointer = name.empty() ? NULL : valueName.c_str();
    DWORD type = 0;
    DWORD size = 0;
    bool ok = false;
    if (RegQueryValueExW(key, namePointer, NULL, &type, NULL, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = (DWORD)(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, namePointer, NULL, &type, (BYTE *)&buffer[0], &bytes) ==
            ERROR_SUCCESS) {
            buffer.resize(bytes / sizeof(wchar_t));
            while (!buffer.empty() && buffer.back() == L'\0')
                buffer.pop_back();
            *value = Utf8(buffer.c_str(), (int)buffer.size());
            ok = true;
        }
    }
    RegCloseKey(key);
    return ok;
}

bool DriverRegistryKeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool DriverReadShortcut(const std::string &path, DriverShortcut *shortcut)
{
    HRESULT initialized = CoInitialize(NULL);
    bool ok = false;
    IShellLinkW *link = NULL;
    IPersistFile *file = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   (void **)&link)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file)) &&
        SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ))) {
        wchar_t buffer[MAX_PATH * 2] = {};
        ok = true;
        if (SUCCEEDED(link->GetPath(buffer, MAX_PATH * 2, NULL, SLGP_RAWPATH)))
            shortcut->target = Utf8(buffer);
        else
            ok = false;
        buffer[0] = L'\0';
        if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH * 2)))
            shortcut->description = Utf8(buffer);
        buffer[0] = L'\0';
        int index = 0;
        if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH * 2, &index))) {
            shortcut->iconPath = Utf8(buffer);
            shortcut->iconIndex = index;
        }
        int show = 0;
        if (SUCCEEDED(link->GetShowCmd(&show)))
            shortcut->showCommand = show;
        /* Wine's loader drops the show command (GetShowCmd then says
           SW_SHOWNORMAL), so it is read from the file's header as well:
           a 0x4C-byte header whose ShowCommand lies at offset 0x3C. */
        HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                    OPEN_EXISTING, 0, NULL);
        if (handle != INVALID_HANDLE_VALUE) {
            BYTE header[0x4C];
            DWORD got = 0;
            if (ReadFile(handle, header, sizeof header, &got, NULL) && got == sizeof header &&
                header[0] == 0x4C && header[1] == 0 && header[2] == 0 && header[3] == 0)
                shortcut->showCommand = (int)(header[0x3C] | header[0x3D] << 8 |
                                              header[0x3E] << 16 | (DWORD)header[0x3F] << 24);
            CloseHandle(handle);
        }
    }
    for (IUnknown *object : { (IUnknown *)file, (IUnknown *)link })
        if (object != NULL)
            object->Release();
    if (SUCCEEDED(initialized))
        CoUninitialize();
    return ok;
}

bool DriverReadFile(const std::string &path, std::string *bytes)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char buffer[8192];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, NULL)) && got > 0)
        bytes->append(buffer, got);
    CloseHandle(file);
    return ok != FALSE;
}

bool DriverWriteFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
               written == bytes.size());
    CloseHandle(file);
    return ok;
}
