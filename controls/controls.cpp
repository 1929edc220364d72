#include "controls.h"

/* First cut: the classes exist so the template loads; drawing comes later.
 * TODO(issue 6): bitmap faces, gray face, shaded frames. */

static WNDPROC pfnButtonProc;   /* the system BUTTON procedure our classes wrap */

static LRESULT CALLBACK ButtonLikeProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(pfnButtonProc, hWnd, msg, wParam, lParam);
}

static void vRegisterButtonLike(HINSTANCE hInst, LPCSTR lpszClass)
{
    WNDCLASSEXA wc;
    GetClassInfoExA(NULL, "BUTTON", &wc);
    pfnButtonProc = wc.lpfnWndProc;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ButtonLikeProc;
    wc.hInstance = hInst;
    wc.lpszClassName = lpszClass;
    wc.style |= CS_GLOBALCLASS;
    RegisterClassExA(&wc);
}

void vRegisterControls(HINSTANCE hInst)
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = hInst;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = KX_CLASS_DIALOG;
    RegisterClassExA(&wc);

    vRegisterButtonLike(hInst, KX_CLASS_BUTTON);
    vRegisterButtonLike(hInst, KX_CLASS_CHECK);
    vRegisterButtonLike(hInst, KX_CLASS_SHADE);
}
