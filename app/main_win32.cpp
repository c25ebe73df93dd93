#include "app/dialog_base_win32.h"
#include "app/main_dlg.h"
#include "app/wizard_view_win32.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    programInstance = instance;
    // The progress bars are common controls.
    InitCommonControls();
    Win32WizardView view;
    return RunWizard(view);
}
