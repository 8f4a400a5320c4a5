#ifndef TAVELIN_RESOURCES_IDS_H
#define TAVELIN_RESOURCES_IDS_H

/* Control ids, one range per dialog. IDC_STATIC marks controls never addressed. */
#define IDC_STATIC                 -1

/* Directory dialog: 256..260; the dialog ends with 259 or 260 */
#define IDC_DIRECTORY_PROMPT       256
#define IDC_DIRECTORY_PATH         257
#define IDC_DIRECTORY_SIZE         258
#define IDC_DIRECTORY_INSTALL      259
#define IDC_DIRECTORY_CANCEL       260

/* Copy (progress) dialog: 256..261 */
#define IDC_PROGRESS_FILE_LABEL    256
#define IDC_PROGRESS_TOTAL_BAR     257
#define IDC_PROGRESS_FILE_BAR      258
#define IDC_PROGRESS_TOTAL_TEXT    259
#define IDC_PROGRESS_FILE_TEXT     260
#define IDC_PROGRESS_CANCEL        261

/* Registration dialog: the edit field; its buttons are IDYES and IDNO */
#define IDC_REGISTRATION_SUFFIXES  257

#endif
