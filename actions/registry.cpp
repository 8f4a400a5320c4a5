#include "actions/registry.h"

#include <stdlib.h>

#include "actions/keypath.h"
#include "setup/state.h"

static LONG KeyChainBuild(HKEY root, const char *keyPath, REGSAM access, int create,
                          HKEY *result)
{
    setup.keyChainWork = (KeyChainNode *)malloc(sizeof(KeyChainNode));
    if (setup.keyChainWork == NULL)
        return -1;
    setup.keyChainWork->keyHandle = root;
    setup.keyChainWork->next = NULL;
    setup.keyChainHead = setup.keyChainWork;
    setup.keyChainTail = setup.keyChainWork;
    setup.keyChainWork = NULL;

    const char *p = keyPath;
    while (*p != '\0') {
        char component[KEYPATH_COMPONENT_CAPACITY];
        KeyPathNextComponent(&p, component);

        setup.keyChainWork = (KeyChainNode *)malloc(sizeof(KeyChainNode));
        if (setup.keyChainWork == NULL) {
            KeyChainRelease();
            return -1;
        }
        setup.keyChainWork->keyHandle = NULL;
        setup.keyChainWork->next = NULL;
        setup.keyChainTail->next = setup.keyChainWork;

        LONG status;
        if (create) {
            /* Every key of the path with the access asked for alone: the
               creation of a subkey is checked against the key's security,
               not against the rights of the handle it is created under. */
            DWORD disposition;
            status = RegCreateKeyExA(setup.keyChainTail->keyHandle, component, 0, (LPSTR) "",
                                     REG_OPTION_NON_VOLATILE, access, NULL,
                                     &setup.keyChainWork->keyHandle, &disposition);
        } else {
            status = RegOpenKeyExA(setup.keyChainTail->keyHandle, component, 0, access,
                                   &setup.keyChainWork->keyHandle);
        }
        if (status != ERROR_SUCCESS) {
            /* The new node holds no key: unlink and free it without closing. */
            setup.keyChainTail->next = NULL;
            free(setup.keyChainWork);
            setup.keyChainWork = NULL;
            KeyChainRelease();
            return status;
        }
        setup.keyChainTail = setup.keyChainWork;
        setup.keyChainWork = NULL;
    }
    *result = setup.keyChainTail->keyHandle;
    return ERROR_SUCCESS;
}

LONG KeyChainOpen(HKEY root, const char *keyPath, REGSAM access, HKEY *result)
{
    return KeyChainBuild(root, keyPath, access, 0, result);
}

LONG KeyChainCreate(HKEY root, const char *keyPath, REGSAM access, HKEY *result)
{
    return KeyChainBuild(root, keyPath, access, 1, result);
}

void KeyChainRelease(void)
{
    /* Parents are closed before their children, the predefined root first. */
    KeyChainNode *node = setup.keyChainHead;
    while (node != NULL) {
        setup.keyChainWork = node->next;
        RegCloseKey(node->keyHandle);
        free(node);
        node = setup.keyChainWork;
    }
    setup.keyChainHead = NULL;
    setup.keyChainTail = NULL;
    setup.keyChainWork = NULL;
}

LONG RegistryReadValue(HKEY root, const char *keyPath, const char *valueName, void *buffer,
                       DWORD bufferSize)
{
    HKEY key;
    LONG status = KeyChainOpen(root, keyPath, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD type;
    DWORD size = bufferSize;
    status = RegQueryValueExA(key, valueName, NULL, &type, (BYTE *)buffer, &size);
    KeyChainRelease();
    /* Callers use the buffer as a text. A value stored without its
       terminator gets one; one that fills the whole buffer without a
       terminator did not fit and fails rather than being cut. */
    if (status == ERROR_SUCCESS && bufferSize > 0) {
        char *text = (char *)buffer;
        if (size < bufferSize) {
            text[size] = '\0';
        } else if (text[bufferSize - 1] != '\0') {
            text[bufferSize - 1] = '\0';
            status = ERROR_MORE_DATA;
        }
    }
    return status;
}

LONG RegistryWriteValue(HKEY root, const char *keyPath, const char *valueName, DWORD type,
                        const void *data, DWORD byteCount)
{
    HKEY key;
    LONG status = KeyChainCreate(root, keyPath, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, valueName, 0, type, (const BYTE *)data, byteCount);
    KeyChainRelease();
    return status;
}
