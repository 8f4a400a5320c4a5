/* A small dialog for the tests of the scripted user itself: an edit field,
   a default button, a cancel button, a counter that runs from "0 %" to
   "100 %" and then a last word. The program ends with the id of the button
   that closed the dialog and writes "<id>\n<edit text in UTF-8>" to bed.txt
   in its current directory. */
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/dialogbed.h"

namespace {

const UINT_PTR kTimer = 1;

int percent = 0;

/* DLGTEMPLATE and its DLGITEMTEMPLATEs, built in memory. */
class Template {
public:
    Template(const wchar_t *caption, int controls)
    {
        DWORD style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Dword(style);
        Dword(0);
        Word((WORD)controls);
        Word(10); Word(10); Word(200); Word(90);
        Word(0);      /* no menu */
        Word(0);      /* standard class */
        Text(caption);
        Word(8);
        Text(L"MS Shell Dlg");
    }
    void Control(WORD atom, DWORD style, int id, short x, short y, short cx, short cy,
                 const wchar_t *text)
    {
        /* Each DLGITEMTEMPLATE starts on a DWORD boundary. */
        while (data_.size() % 2 != 0)
            data_.push_back(0);
        Dword(WS_CHILD | WS_VISIBLE | style);
        Dword(0);
        Word((WORD)x); Word((WORD)y); Word((WORD)cx); Word((WORD)cy);
        Word((WORD)id);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE *Get() const { return (const DLGTEMPLATE *)data_.data(); }

private:
    void Word(WORD w)
    {
        data_.push_back(w);
    }
    void Dword(DWORD d)
    {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t *text)
    {
        for (; *text; text++)
            Word((WORD)*text);
        Word(0);
    }
    std::vector<WORD> data_;
};

std::wstring EditText(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, IDC_BED_EDIT);
    int n = GetWindowTextLengthW(edit);
    std::wstring text((size_t)n + 1, L'\0');
    GetWindowTextW(edit, &text[0], n + 1);
    text.resize((size_t)n);
    return text;
}

void Record(int id, const std::wstring &text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string bytes = std::to_string(id) + "\n" + std::string((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(),
                        &bytes[bytes.size() - (size_t)n], n, NULL, NULL);
    HANDLE file = CreateFileW(L"bed.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

INT_PTR CALLBACK BedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, IDC_BED_PERCENT, L"0 %");
        /* About a second in all, so that the scripted user's first look
           still finds "En cours" on a busy machine. */
        SetTimer(dialog, kTimer, 50, NULL);
        return TRUE;
    case WM_TIMER:
        if (percent < 100) {
            percent += 5;
            wchar_t text[16];
            wsprintfW(text, L"%d %%", percent);
            SetDlgItemTextW(dialog, IDC_BED_PERCENT, text);
        } else {
            KillTimer(dialog, kTimer);
            SetDlgItemTextW(dialog, IDC_BED_STATUS, L"Terminé, prêt");
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            Record(LOWORD(wParam), EditText(dialog));
            EndDialog(dialog, LOWORD(wParam));
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    Template t(L"Banc d'essai", 5);
    t.Control(0x0081, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, IDC_BED_EDIT, 5, 5, 190, 12, L"");
    t.Control(0x0082, SS_LEFT, IDC_BED_PERCENT, 5, 25, 60, 8, L"");
    t.Control(0x0082, SS_LEFT, IDC_BED_STATUS, 70, 25, 120, 8, L"En cours");
    t.Control(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 30, 60, 60, 14, L"OK");
    t.Control(0x0080, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 110, 60, 60, 14, L"Annuler");
    return (int)DialogBoxIndirectParamW(instance, t.Get(), NULL, BedProc, 0);
}
