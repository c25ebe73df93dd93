// The Win32 dialog base on real dialogs from the program's templates (linked
// into this test): binding, dispatch order, the OK/Cancel default, pages and
// centring. Needs a display (Xvfb under Wine).
#include "app/dialog_base_win32.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr UINT kEndHere = WM_APP + 10;   // the hook ends the dialog with code 77
constexpr UINT kPageClick = WM_APP + 11; // a page sends WM_COMMAND wParam to the owner
constexpr WORD kThrowingId = 1234;       // OnCommand throws for this id

struct Posted {
    UINT message;
    WPARAM wParam;
};

// A dialog that writes down what reaches its handlers and, once bound,
// replays the posted messages of one case.
class RecordingDialog : public CTDlg {
public:
    RecordingDialog(DialogHost& host, std::vector<Posted> script, bool handlesOkCancel,
                    bool hookEatsTimer)
        : CTDlg(host), script(std::move(script)), handlesOkCancel(handlesOkCancel),
          hookEatsTimer(hookEatsTimer) {
        templateId = IDD_MAIN;
    }

    bool OnInit() override {
        log.push_back("init");
        page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PORT_PAGE),
                                  static_cast<HWND>(hwnd), PageDlgProc,
                                  reinterpret_cast<LPARAM>(this));
        for (const Posted& p : script) {
            PostMessageW(static_cast<HWND>(hwnd), p.message, p.wParam, 0);
        }
        return true;
    }
    void OnEnd(intptr_t endCode) override { log.push_back("end " + std::to_string(endCode)); }
    bool OnTimer(uintptr_t id) override {
        log.push_back("timer " + std::to_string(id));
        return true;
    }
    bool OnCommand(intptr_t, uintptr_t wParam, uint16_t code) override {
        const WORD id = LOWORD(wParam);
        log.push_back("command " + std::to_string(id) + "/" + std::to_string(code));
        if (id == kThrowingId) {
            throw std::runtime_error("handler failure");
        }
        return handlesOkCancel && (id == IDOK || id == IDCANCEL);
    }
    bool PreHandleMessage(uint32_t message, uintptr_t wParam, intptr_t) override {
        if (firstHookMessage == 0) {
            firstHookMessage = message;
            boundAtFirstHook = hwnd != nullptr && IsWindow(static_cast<HWND>(hwnd));
        }
        if (message == kEndHere) {
            EndWith(77);
            return true;
        }
        if (message == kPageClick) {
            SendMessageW(page, WM_COMMAND, wParam, 0);
            return true;
        }
        return message == WM_TIMER && hookEatsTimer;
    }

    std::vector<std::string> log;
    UINT firstHookMessage = 0;
    bool boundAtFirstHook = false;

private:
    std::vector<Posted> script;
    bool handlesOkCancel;
    bool hookEatsTimer;
    HWND page = nullptr;
};

std::string joined(const std::vector<std::string>& log) {
    std::string text;
    for (const std::string& entry : log) {
        text += (text.empty() ? "" : ", ") + entry;
    }
    return text;
}

TEST(DialogBaseWin32, DispatchesToTheHandlersAndEndsOnlyOnPlainOkOrCancel) {
    struct Case {
        const char* name;
        std::vector<Posted> script;
        bool handlesOkCancel;
        bool hookEatsTimer;
        intptr_t endCode;
        const char* log;
    };
    const Case cases[] = {
        {"Cancel click ends with 2",
         {{WM_COMMAND, IDCANCEL}},
         false,
         false,
         2,
         "init, command 2/0, end 2"},
        {"OK click ends with 1", {{WM_COMMAND, IDOK}}, false, false, 1, "init, command 1/0, end 1"},
        {"OK with a notification code does not end",
         {{WM_COMMAND, MAKEWPARAM(IDOK, 1)}, {WM_COMMAND, IDCANCEL}},
         false,
         false,
         2,
         "init, command 1/1, command 2/0, end 2"},
        {"handled OK and Cancel switch the default ending off",
         {{WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}, {kEndHere, 0}},
         true,
         false,
         77,
         "init, command 1/0, command 2/0, end 77"},
        {"timer reaches OnTimer with its id",
         {{WM_TIMER, 5}, {kEndHere, 0}},
         false,
         false,
         77,
         "init, timer 5, end 77"},
        {"a true hook suppresses the timer handler",
         {{WM_TIMER, 5}, {kEndHere, 0}},
         false,
         true,
         77,
         "init, end 77"},
        {"a page's Cancel reaches OnCommand and never ends the dialog",
         {{kPageClick, IDCANCEL}, {kPageClick, IDOK}, {kEndHere, 0}},
         false,
         false,
         77,
         "init, command 2/0, command 1/0, end 77"},
        {"an exception in a handler stays inside the window procedure",
         {{WM_COMMAND, kThrowingId}, {kPageClick, kThrowingId}, {WM_COMMAND, IDCANCEL}},
         false,
         false,
         2,
         "init, command 1234/0, command 1234/0, command 2/0, end 2"},
    };
    for (const Case& c : cases) {
        Win32DialogHost host;
        RecordingDialog dialog(host, c.script, c.handlesOkCancel, c.hookEatsTimer);
        const intptr_t endCode = dialog.RunModal();
        EXPECT_EQ(endCode, c.endCode) << c.name;
        EXPECT_EQ(joined(dialog.log), c.log) << c.name;
        // Messages before WM_INITDIALOG (WM_SETFONT among them) find no object.
        EXPECT_EQ(dialog.firstHookMessage, static_cast<UINT>(WM_INITDIALOG)) << c.name;
        EXPECT_TRUE(dialog.boundAtFirstHook) << c.name << ": hwnd not set before the hook";
    }
}

HWND popupWithClientSize(int x, int y, int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, x, y, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
}

TEST(DialogBaseWin32, CentresOverTheOwnersClientAreaWithoutClamping) {
    struct Case {
        const char* name;
        int ownerX, ownerY, ownerWidth, ownerHeight;
        int dialogWidth, dialogHeight;
        int expectedX, expectedY;
    };
    const Case cases[] = {
        {"smaller dialog sits in the middle", 100, 50, 400, 300, 200, 100, 200, 150},
        {"odd remainder truncates", 0, 0, 401, 301, 200, 100, 100, 100},
        {"larger dialog gets a negative offset", 300, 300, 100, 100, 301, 201, 300 - 100, 300 - 50},
    };
    for (const Case& c : cases) {
        HWND owner = popupWithClientSize(c.ownerX, c.ownerY, c.ownerWidth, c.ownerHeight);
        HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, c.dialogWidth,
                                      c.dialogHeight, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr) << c.name;
        CenterOverOwner(dialog, owner);
        RECT placed{};
        GetWindowRect(dialog, &placed);
        EXPECT_EQ(placed.left, c.expectedX) << c.name;
        EXPECT_EQ(placed.top, c.expectedY) << c.name;
        EXPECT_EQ(placed.right - placed.left, c.dialogWidth) << c.name << ": width changed";
        EXPECT_EQ(placed.bottom - placed.top, c.dialogHeight) << c.name << ": height changed";
        DestroyWindow(dialog);
        DestroyWindow(owner);
    }
}

TEST(DialogBaseWin32, WithoutOwnerCentresOnTheDesktop) {
    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    CenterOverOwner(dialog, nullptr);
    RECT desktop{};
    GetClientRect(GetDesktopWindow(), &desktop);
    RECT placed{};
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.left, (desktop.right - 200) / 2);
    EXPECT_EQ(placed.top, (desktop.bottom - 100) / 2);
    DestroyWindow(dialog);
}

} // namespace
