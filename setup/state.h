#ifndef TAVELIN_SETUP_STATE_H
#define TAVELIN_SETUP_STATE_H

#include <windows.h>

#include "util/capacity.h"

struct KeyChainNode;

/* The one record of the program: settings, texts, counters and handles.
   Zero-filled by static storage; read and written directly by every file. */
struct SetupState {
    KeyChainNode *keyChainTail;   /* last open key of the registry operation under way */
    KeyChainNode *keyChainHead;   /* first node, holding the root key */
    KeyChainNode *keyChainWork;   /* node being appended or released */
    HINSTANCE instance;
    HWND mainWindow;              /* the backdrop window */
    char className[SETUP_NAME_CAPACITY];
    HBITMAP backdropBitmap;
    int clientWidth;
    int clientHeight;
    HGLOBAL scriptMemory;
    char *scriptText;
    int scanOffset;               /* offset of the current line in scriptText */
    int lineLength;               /* line last scanned by the copy phase and the shortcut pass */
    int keyLength;
    char entryKey[SETUP_TEXT_CAPACITY];
    const char *valuePtr;         /* into scriptText; null after an empty or comment line */
    int valueLength;
    char entryValue[SETUP_TEXT_CAPACITY];
    char ioBuffer[8192];          /* copy buffer; between chunks scratch for formatted texts */
    char sectionFiles[SETUP_NAME_CAPACITY];
    char sectionGroup[SETUP_NAME_CAPACITY];
    char sectionSettings[SETUP_NAME_CAPACITY];
    char keyBitmap[SETUP_NAME_CAPACITY];
    char keyApplication[SETUP_NAME_CAPACITY];
    char keyTitle[SETUP_NAME_CAPACITY];
    char keyDirectory[SETUP_NAME_CAPACITY];
    char bitmapName[SETUP_TEXT_CAPACITY];
    char bitmapPath[SETUP_TEXT_CAPACITY];
    char applicationName[SETUP_TEXT_CAPACITY];
    char title[SETUP_TEXT_CAPACITY];
    char installDir[SETUP_TEXT_CAPACITY];
    char directoryPrompt[SETUP_TEXT_CAPACITY];
    char sizeFormat[SETUP_TEXT_CAPACITY];
    char programsFolder[SETUP_TEXT_CAPACITY];
    char desktopFolder[SETUP_TEXT_CAPACITY];
    char groupFolder[SETUP_TEXT_CAPACITY];
    int drivePrefixLength;
    int directoryLength;          /* source paths are built at this position of modulePath */
    int extensionOffset;
    char modulePath[SETUP_PATH_CAPACITY];         /* program path, then script path, then each source path */
    HANDLE sourceFile;
    DWORD bytesTransferred;
    char destinationPath[SETUP_PATH_CAPACITY];
    HANDLE destinationFile;
    HWND progressDialog;          /* null when none; the message loop serves it first */
    HBRUSH barBrush;
    HBRUSH gapBrush;
    long long fileDone;           /* byte counts in 64 bits: sources of 2 GiB and more */
    long long fileSize;
    long long totalDone;
    long long totalSize;
    int cancelRequested;
    int errorCount;               /* only zero or non-zero matters */
    char sectionRegistration[SETUP_NAME_CAPACITY];
    char keySuffixes[SETUP_NAME_CAPACITY];
    char suffixList[SETUP_TEXT_CAPACITY];
};

extern SetupState setup;

#endif
