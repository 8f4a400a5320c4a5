#ifndef TAVELIN_UTIL_CATALOGUE_H
#define TAVELIN_UTIL_CATALOGUE_H

/* Texts of the string table that setupcheck quotes to the packager as the
   user will read them, written once: the string table takes them from here
   (this file is UTF-8, as the .rc files are). A double quote inside a text
   is written \x22, which the resource compiler and C read alike. */

/* String 5, the closing message of an installation without error; %s is
   the Application setting. */
#define TEXT_FINISH_SUCCESS                                                   \
    "Installation normalement terminée. Une icône \x22%s\x22 a été créée "    \
    "sur votre bureau ainsi qu'un dossier dans votre menu "                   \
    "\x22" "Démarrer\\programmes\x22."

#endif
