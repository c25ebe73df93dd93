#include "app/dialog_base_win32.h"
#include "app/main_dlg.h"
#include "app/wizard_view_win32.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    programInstance = instance;
    // The progress bars are common controls.
    InitCommonControls();
    // The user-interface thread is a single-threaded apartment: the screen
    // reader names and the save dialog's shell parts are COM objects on it.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int code = 0;
    {
        Win32WizardView view;
        code = RunWizard(view);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return code;
}
