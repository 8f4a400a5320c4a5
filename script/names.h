#ifndef TAVELIN_SCRIPT_NAMES_H
#define TAVELIN_SCRIPT_NAMES_H

/* The names of the script's sections and keys, written once: the string
   table takes them from here (this file is UTF-8, as the .rc files are),
   and setupcheck reads scripts with them, turned into code page 1252 as the
   program loads them. Strings 16 to 24. */
#define NAME_SECTION_FILES        "Fichiers"
#define NAME_SECTION_GROUP        "Groupe"
#define NAME_SECTION_SETTINGS     "Installer"
#define NAME_SECTION_REGISTRATION "Enregistrement"
#define NAME_KEY_APPLICATION      "Application"
#define NAME_KEY_BITMAP           "Bitmap"
#define NAME_KEY_TITLE            "Titre"
#define NAME_KEY_DIRECTORY        "Répertoire"
#define NAME_KEY_SUFFIXES         "Suffixes"

#endif
