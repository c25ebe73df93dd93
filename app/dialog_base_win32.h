#pragma once

#include "app/dialog_base.h"

#include <windows.h>

// The module the templates and the icon are loaded from; the entry function
// stores it before anything else runs.
extern HINSTANCE programInstance;

// Dialog procedure of the modal frame: binds the window to its CTDlg at
// WM_INITDIALOG (DWLP_USER) and hands every later message to HandleMessage.
INT_PTR CALLBACK ModalDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog procedure of a page: forwards its commands to the owner's OnCommand.
INT_PTR CALLBACK PageDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The CTDlg bound to a dialog window, or null.
CTDlg* dialogOf(HWND window);

// Centres `dialog` over the client area of `owner`, or of the desktop when
// `owner` is null; a dialog larger than that area gets a negative offset.
void CenterOverOwner(HWND dialog, HWND owner);

// Runs the dialog from the program's template `dialog.templateId` modally.
intptr_t runModalDialog(CTDlg& dialog);

// The plain Win32 host for any CTDlg.
class Win32DialogHost : public DialogHost {
public:
    intptr_t RunModal(CTDlg& dialog) override { return runModalDialog(dialog); }
    void EndDialog(DialogWindow window, intptr_t endCode) override {
        ::EndDialog(static_cast<HWND>(window), endCode);
    }
};
