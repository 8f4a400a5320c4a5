#ifndef TAVELIN_UTIL_STRINGS_H
#define TAVELIN_UTIL_STRINGS_H

/* Ids of the string table. 16 to 24 name the script's sections and keys. */
#define IDS_CLASS_NAME          1
#define IDS_DIRECTORY_PROMPT    2
#define IDS_SIZE_FORMAT         3
#define IDS_QUESTION_EDITOR     4
#define IDS_FINISH_SUCCESS      5
#define IDS_FINISH_INCOMPLETE   6
#define IDS_FINISH_CANCELLED    7
#define IDS_SECTION_FILES       16
#define IDS_SECTION_GROUP       17
#define IDS_SECTION_SETTINGS    18
#define IDS_SECTION_REGISTRATION 19
#define IDS_KEY_APPLICATION     20
#define IDS_KEY_BITMAP          21
#define IDS_KEY_TITLE           22
#define IDS_KEY_DIRECTORY       23
#define IDS_KEY_SUFFIXES        24
#define IDS_CANNOT_OPEN         2044
#define IDS_CANNOT_READ         2045
#define IDS_CANNOT_CREATE       2050
#define IDS_CANNOT_WRITE        2051
#define IDS_NO_MEMORY           2052
#define IDS_NO_MEMORY_ACCESS    2053
#define IDS_NO_BITMAP           2054
#define IDS_NO_SECTION          2055

#endif
