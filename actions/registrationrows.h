#ifndef TAVELIN_ACTIONS_REGISTRATIONROWS_H
#define TAVELIN_ACTIONS_REGISTRATIONROWS_H

#include "util/capacity.h"

/* What the registration writes, row by row and in the order it writes them:
   the root, the key, the value's name and its data, composed from the
   installation's texts with the bounded text operations. No Windows header:
   setupcheck plans the same rows. */

/* The two programs of the product that the registry names, whatever the
   script installs. */
#define PRODUCT_PROGRAM "Tavelin.exe"    /* at the top of the installation directory */
#define PRODUCT_UNINSTALLER "Untave.exe" /* in the Windows directory */

enum RegistrationRoot { REGISTRATION_LOCAL_MACHINE, REGISTRATION_CLASSES_ROOT };

/* The rows before ROW_OPEN_COMMAND are written whatever the user answers,
   the two commands after "Oui" to the question. The suffixes' rows come
   last, after "&Oui" in the dialog. */
enum RegistrationRowId {
    ROW_APP_PATH,         /* the program's path, under App Paths */
    ROW_DISPLAY_NAME,     /* the uninstall entry, named after the product */
    ROW_UNINSTALL_STRING, /* and the command that removes it */
    ROW_OPEN_COMMAND,     /* text files open with the program */
    ROW_PRINT_COMMAND,    /* and print with it */
    ROW_COUNT
};

struct RegistrationRow {
    int root;                       /* a RegistrationRoot */
    char key[SETUP_PATH_CAPACITY];  /* below the root */
    const char *valueName;          /* "" names the key's default value */
    char data[SETUP_PATH_CAPACITY]; /* a REG_SZ text */
};

/* What the rows are made of. windowsDirectory is "" when it could not be
   read. */
struct RegistrationTexts {
    const char *installDir;
    const char *applicationName;
    const char *windowsDirectory;
};

void RegistrationComposeRow(int id, const RegistrationTexts *texts, RegistrationRow *row);

/* The row of one word of the Suffixes list: the key is a dot and the word,
   the dot put whatever the word holds, so ".txt" gives "..txt". */
void RegistrationComposeSuffix(const char *word, int length, RegistrationRow *row);

/* The keys of the open and print commands, in that order: after "Non" the
   final %1 of the commands already there is put in quotes. */
extern const char *const registrationCommandKeys[2];

#endif
