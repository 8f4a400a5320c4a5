#ifndef TAVELIN_UTIL_CAPACITY_H
#define TAVELIN_UTIL_CAPACITY_H

/* The sizes of the program's text buffers, terminator included, written
   once: the setup state declares its fields with them, the steps their
   working texts, and setupcheck cuts every text where the program cuts it.
   No Windows header. */
#define SETUP_NAME_CAPACITY 32  /* className, the names of the script's sections and keys */
#define SETUP_TEXT_CAPACITY 128 /* settings, installDir, folders, entries, suffixList */
#define SETUP_PATH_CAPACITY 260 /* paths, shortcut and registry texts, the typed directory */

#endif
