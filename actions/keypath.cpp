#include "actions/keypath.h"

void KeyPathNextComponent(const char **cursor, char *component)
{
    const char *p = *cursor;
    int n = 0;
    while (*p != '\0' && *p != '\\') {
        if (n < KEYPATH_COMPONENT_CAPACITY - 1)
            component[n++] = *p;
        p++;
    }
    if (*p == '\\')
        p++;
    component[n] = '\0';
    *cursor = p;
}
