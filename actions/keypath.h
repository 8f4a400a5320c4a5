#ifndef TAVELIN_ACTIONS_KEYPATH_H
#define TAVELIN_ACTIONS_KEYPATH_H

#include "util/capacity.h"

/* A registry key path as the key chain walks it, one component at a time.
   No Windows header: setupcheck names the keys the program writes with it. */

/* Room for one component: its first SETUP_PATH_CAPACITY characters are
   kept, the rest passed over. */
#define KEYPATH_COMPONENT_CAPACITY (SETUP_PATH_CAPACITY + 1)

/* Copies the component at *cursor, up to the next backslash or the end,
   into component and moves *cursor past it and its backslash. A trailing
   backslash therefore adds no component; a leading one, or two in a row,
   give an empty component, which names the key above itself. */
void KeyPathNextComponent(const char **cursor, char *component);

#endif
