#ifndef TAVELIN_SETUP_MESSAGES_H
#define TAVELIN_SETUP_MESSAGES_H

/* Private messages, all posted to the backdrop window with both parameters 0;
   each one is a step of the installation and posts at most the next one. */
#define WM_SETUP_START      0x0400  /* start-up: ask for the directory, open the progress dialog */
#define WM_SETUP_NEXT_FILE  0x0401  /* copy phase: take the next Fichiers entry, open its files */
#define WM_SETUP_COPY_CHUNK 0x0402  /* copy phase: copy one chunk of at most 8192 bytes */
#define WM_SETUP_COPY_DONE  0x0403  /* copy phase over: close the progress dialog */
#define WM_SETUP_SHORTCUTS  0x0404  /* program group folder and shortcuts */
#define WM_SETUP_REGISTER   0x0405  /* registry entries, then the finishing step inline */
#define WM_SETUP_FINISH     0x0406  /* closing message, then quit */

/* Commands sent (WM_COMMAND, lParam 0) by the file copy to the progress dialog.
   They equal the ids of two static controls, which send no commands. */
#define CMD_PROGRESS_NEWFILE 256    /* a new entry begins: label and "0 %" */
#define CMD_PROGRESS_UPDATE  260    /* fileDone, fileSize or totalDone changed */

#endif
