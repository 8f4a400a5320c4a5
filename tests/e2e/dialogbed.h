#ifndef TAVELIN_TESTS_E2E_DIALOGBED_H
#define TAVELIN_TESTS_E2E_DIALOGBED_H

/* Controls of the scripted user's test dialog (dialogbed.exe), besides IDOK
   and IDCANCEL: an edit field, a counter from "0 %" to "100 %", a last word. */
#define IDC_BED_EDIT     100
#define IDC_BED_PERCENT  101
#define IDC_BED_STATUS   102

#endif
