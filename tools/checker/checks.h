#ifndef TAVELIN_CHECKER_CHECKS_H
#define TAVELIN_CHECKER_CHECKS_H

/* The checks of a script that need no machine: its bytes and lines, then its
   entries, read into the model the planner plays. */

#include "tools/checker/distdir.h"
#include "tools/checker/model.h"
#include "tools/checker/report.h"
#include "tools/checker/scriptfile.h"
#include "tools/checker/sections.h"

/* What every check of the entries works on. */
struct CheckContext {
    const ScriptFile &file;
    ScriptModel &model;
    Report &report;
    DistDirectory &distribution;
};

/* Bytes and lines (textchecks.cpp). CheckWholeFile is false when the file
   is no script at all, and nothing else is looked at. */
bool CheckWholeFile(const ScriptFile &file, Report &report);
void CheckEncoding(const ScriptFile &file, Report &report);
void CheckHeaders(const ScriptFile &file, Report &report, ScriptModel *model);
/* The text the program reads, as the same script saved in code page 1252
   (without a byte-order mark) would give it: a character that code page
   lacks stays in UTF-8. */
std::string ScriptInCp1252(const ScriptFile &file);

/* [Installer] and [Enregistrement] (settings.cpp). */
void CheckSettings(CheckContext &c, size_t offset);
void CheckProduct(CheckContext &c);
void CheckRegistration(CheckContext &c, size_t offset);

/* [Fichiers] (files.cpp) and [Groupe] (group.cpp). */
void CheckFiles(CheckContext &c, size_t offset);
void CheckGroup(CheckContext &c, size_t offset);
/* Whether the closing message tells of shortcuts that are not made (group.cpp). */
void CheckClosingMessage(CheckContext &c);

/* The Bitmap picture (picture.cpp). */
void CheckPicture(CheckContext &c);

/* A key or value longer than the program's 127 characters (settings.cpp). */
void CheckCut(CheckContext &c, const EntryLine &e, int valueLength);

/* The names the installation makes of the script's bytes, told once for
   the whole script when they hold letters outside ASCII (checks.cpp). */
void CheckNamesCodePage(CheckContext &c);

/* Every check, in the order of the program's reading (checks.cpp). */
void CheckScript(const ScriptFile &file, ScriptModel *model, Report *report);

#endif
