#include "setup/sequence.h"

#include "setup/messages.h"
#include "setup/state.h"

static void SequenceQuit(void)
{
    if (setup.backdropBitmap != NULL)
        DeleteObject(setup.backdropBitmap);
    PostQuitMessage(0);
}

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        SequenceQuit();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
