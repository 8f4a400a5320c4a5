#ifndef TAVELIN_ACTIONS_REGISTRY_H
#define TAVELIN_ACTIONS_REGISTRY_H

#include <windows.h>

/* One open key of the chain that a registry operation walks down its key
   path; the chain lives only during one operation. */
struct KeyChainNode {
    HKEY keyHandle;
    KeyChainNode *next;
};

LONG RegistryReadValue(HKEY root, const char *keyPath, const char *valueName, void *buffer,
                       DWORD bufferSize);
LONG RegistryWriteValue(HKEY root, const char *keyPath, const char *valueName, DWORD type,
                        const void *data, DWORD byteCount);

LONG KeyChainOpen(HKEY root, const char *keyPath, REGSAM access, HKEY *result);
LONG KeyChainCreate(HKEY root, const char *keyPath, REGSAM access, HKEY *result);
void KeyChainRelease(void);

#endif
