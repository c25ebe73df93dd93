// Drives the real ZOR7700Track.exe the way a person would: it starts the
// program, waits for pages, clicks buttons, picks the port, types the file
// name into the save dialog and answers the message boxes, all through window
// messages. Then it checks the output file, the settings in the registry and
// the commands the simulated device received.
// Usage: wizard_driver <scenario> <program.exe> <COM number> <output folder>
//                      <commands file> [<screenshot folder>]
// Scenarios: kml-erase, nmea, gpx, no-device, cancel-transfer, cancel-output.
#include "resources/resource_ids.h"
#include "version.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

namespace {

constexpr DWORD kPageTimeoutMs = 20000;
constexpr DWORD kTransferTimeoutMs = 120000;
constexpr int kFileNameCombo = 0x47c; // cmb13 of the save dialog
constexpr int kFileNameEdit = 0x480;  // edt1 of the older save dialog
constexpr int kFileTypeCombo = 0x470; // cmb1
enum Page { Welcome, Port, Connecting, Output, Transfer, Success, Error };
const wchar_t* const kPageNames[] = {L"WelcomePage", L"PortPage",     L"ConnectingPage",
                                     L"OutputPage",  L"TransferPage", L"SuccessPage",
                                     L"ErrorPage"};

std::wstring scenario;
HANDLE programProcess = nullptr;
DWORD programId = 0;
HWND frame = nullptr;
std::wstring screenshotFolder;

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += c == L'\n' ? std::string("\\n") : std::string(1, static_cast<char>(c));
    }
    return out;
}

[[noreturn]] void fail(const std::string& what) {
    std::printf("FAILED %s: %s\n", narrow(scenario).c_str(), what.c_str());
    std::fflush(stdout);
    if (programProcess != nullptr) {
        TerminateProcess(programProcess, 99);
    }
    std::exit(1);
}

void step(const std::string& what) {
    std::printf("  %s\n", what.c_str());
    std::fflush(stdout);
}

void expectEqual(const std::string& what, const std::string& expected, const std::string& actual) {
    if (expected != actual) {
        fail(what + ": expected \"" + expected + "\", got \"" + actual + "\"");
    }
}

void waitUntil(const std::function<bool()>& condition, DWORD timeoutMs, const std::string& what) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            fail("timed out waiting for " + what);
        }
        Sleep(20);
    }
}

std::wstring textOf(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK,
                        5000, &ignored);
    return buffer;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// A control of the frame or of one of its pages (ids are unique in the wizard).
HWND control(int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        frame,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) == s->id && classOf(child) != L"#32770") {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        fail("control " + std::to_string(id) + " not found");
    }
    return search.found;
}

// The page whose heading is visible, -1 while none is.
int shownPage() {
    for (int page = 0; page < 7; ++page) {
        if (IsWindowVisible(control(IDC_HEADING_FIRST + page))) {
            return page;
        }
    }
    return -1;
}

// Top-level dialog windows of the program owned by the frame (save dialog,
// message boxes) with the caption given.
HWND ownedDialog(const std::wstring& caption) {
    struct Search {
        const std::wstring* caption;
        HWND found;
    } search{&caption, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == programId && window != frame && IsWindowVisible(window) &&
                classOf(window) == L"#32770" && GetWindow(window, GW_OWNER) == frame &&
                (s->caption->empty() || textOf(window) == *s->caption)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForOwnedDialog(const std::wstring& caption, const std::string& what) {
    HWND dialog = nullptr;
    waitUntil([&] { return (dialog = ownedDialog(caption)) != nullptr; }, kPageTimeoutMs, what);
    return dialog;
}

void saveScreenshot(HWND window, const std::wstring& name) {
    if (screenshotFolder.empty()) {
        return;
    }
    Sleep(100); // let the page paint
    RECT box{};
    GetWindowRect(window, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(std::filesystem::path(screenshotFolder + L"\\" + name + L".bmp"),
                      std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), imageSize);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Returns once the wizard's thread has finished what it was handling: a page
// becomes visible before the handler that showed it has set the buttons.
void settle() {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
}

void waitForPage(int page, DWORD timeoutMs = kPageTimeoutMs) {
    waitUntil([&] { return shownPage() == page; }, timeoutMs, narrow(kPageNames[page]));
    settle();
    step("page " + narrow(kPageNames[page]));
}

// The control with the focus in the wizard's thread; null for none.
HWND focusedWindow() {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &thread);
    return thread.hwndFocus;
}

void expectFocus(const std::string& where, int id) {
    HWND focused = focusedWindow();
    const int focusedId = focused != nullptr ? GetDlgCtrlID(focused) : 0;
    if (focusedId != id || !IsWindowEnabled(focused) || !IsWindowVisible(focused)) {
        fail(where + ": the focus is on " + std::to_string(focusedId) + " (enabled " +
             std::to_string(IsWindowEnabled(focused)) + ", visible " +
             std::to_string(IsWindowVisible(focused)) + "), not on " + std::to_string(id));
    }
}

// The buttons' states, and the focus on `focus`, enabled and shown.
void expectButtons(const char* where, bool previous, bool next, bool cancel, int focus) {
    settle();
    expectFocus(where, focus);
    const struct {
        int id;
        bool expected;
        const char* name;
    } buttons[] = {{IDC_PREVIOUS, previous, "Previous"},
                   {IDC_NEXT, next, "Next"},
                   {IDC_CANCEL, cancel, "Cancel"}};
    for (const auto& b : buttons) {
        const bool enabled = IsWindowEnabled(control(b.id)) != FALSE;
        if (enabled != b.expected) {
            fail(std::string(where) + ": " + b.name + (b.expected ? " disabled" : " enabled"));
        }
    }
}

// Like a mouse click: the button itself reports BN_CLICKED to its dialog.
void click(HWND button, const std::string& name) {
    if (!IsWindowEnabled(button) || !IsWindowVisible(button)) {
        fail("cannot click " + name + ": not enabled and visible");
    }
    step("click " + name);
    PostMessageW(button, BM_CLICK, 0, 0);
}

void click(int id, const std::string& name) {
    click(control(id), name);
}

// A key as typed on the keyboard: posted to the control with the focus (the
// frame when none has it), where the dialog manager sees it first.
void pressKey(WPARAM key, const std::string& name) {
    HWND focused = focusedWindow();
    HWND target = focused != nullptr ? focused : frame;
    step("press " + name);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    settle();
    Sleep(200);
    settle();
}

intptr_t selectedPort() {
    HWND combo = control(IDC_PORT_COMBO);
    return SendMessageW(combo, CB_GETITEMDATA, SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
}

// The close box of the title bar.
void closeWindow() {
    step("close the window");
    PostMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void choosePort(int portNumber) {
    HWND combo = control(IDC_PORT_COMBO);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        if (SendMessageW(combo, CB_GETITEMDATA, item, 0) == portNumber) {
            step("choose COM" + std::to_string(portNumber));
            SendMessageW(combo, CB_SETCURSEL, item, 0);
            SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(IDC_PORT_COMBO, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            return;
        }
    }
    fail("COM" + std::to_string(portNumber) + " is not in the port list (" + std::to_string(count) +
         " items)");
}

// By keys only, from the list with the focus: F4 opens it, Down walks to the
// port, each step keeping the focus in the list, and Enter takes it.
void choosePortByKeys(int portNumber) {
    HWND combo = control(IDC_PORT_COMBO);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    pressKey(VK_F4, "F4");
    for (LRESULT item = 1; item < count && selectedPort() != portNumber; ++item) {
        pressKey(VK_DOWN, "Down");
        expectFocus("moving through the port list", IDC_PORT_COMBO);
    }
    pressKey(VK_RETURN, "Enter");
    expectEqual("port chosen by keys", std::to_string(portNumber), std::to_string(selectedPort()));
}

// Types `typed` into the save dialog with the file type `filterIndex`; the
// wizard must then show `expected` (the name with the default suffix).
void chooseOutputFile(const std::wstring& typed, const std::wstring& expected, int filterIndex) {
    click(IDC_BROWSE, "...");
    HWND dialog = waitForOwnedDialog(L"", "the save dialog");
    waitUntil([&] { return GetDlgItem(dialog, kFileTypeCombo) != nullptr; }, kPageTimeoutMs,
              "the save dialog's controls");
    HWND types = GetDlgItem(dialog, kFileTypeCombo);
    const LRESULT shownType = SendMessageW(types, CB_GETCURSEL, 0, 0);
    step("save dialog opened with type " + std::to_string(shownType + 1));
    // What a drop-down list reports when the user picks an item with the mouse.
    SendMessageW(types, CB_SETCURSEL, filterIndex - 1, 0);
    for (WORD notification : {CBN_SELCHANGE, CBN_SELENDOK}) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, notification),
                     reinterpret_cast<LPARAM>(types));
    }
    HWND name = GetDlgItem(dialog, kFileNameCombo);
    if (name == nullptr) {
        name = GetDlgItem(dialog, kFileNameEdit);
    }
    step("type " + narrow(typed));
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    waitUntil([&] { return !IsWindow(dialog); }, kPageTimeoutMs, "the save dialog to close");
    waitUntil([&] { return textOf(control(IDC_OUTPUT_PATH)) == expected; }, kPageTimeoutMs,
              "the output page to show " + narrow(expected));
}

// The text of a message box and a click on one of its buttons.
std::wstring answerMessageBox(int button) {
    HWND box = waitForOwnedDialog(L"ZOR7700Track", "a message box");
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM param) -> BOOL {
            if (classOf(child) == L"Static") {
                std::wstring part = textOf(child);
                if (!part.empty()) {
                    *reinterpret_cast<std::wstring*>(param) += part;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    step("message box \"" + narrow(text) + "\", answer " + std::to_string(button));
    PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
    waitUntil([&] { return !IsWindow(box); }, kPageTimeoutMs, "the message box to close");
    return text;
}

void startProgram(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        fail("cannot start " + narrow(program));
    }
    CloseHandle(info.hThread);
    programProcess = info.hProcess;
    programId = info.dwProcessId;
    WaitForInputIdle(programProcess, kPageTimeoutMs);
    waitUntil(
        [] {
            EnumWindows(
                [](HWND window, LPARAM) -> BOOL {
                    DWORD process = 0;
                    GetWindowThreadProcessId(window, &process);
                    if (process == programId && IsWindowVisible(window) &&
                        textOf(window).rfind(L"ZOR7700Track - v", 0) == 0) {
                        frame = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                0);
            return frame != nullptr;
        },
        kPageTimeoutMs, "the wizard's frame");
    // The caption carries the product version of the program's version record.
    const std::string version =
        std::to_string(ZOR_VERSION_MAJOR) + "." + std::to_string(ZOR_VERSION_MINOR) + "." +
        std::to_string(ZOR_VERSION_PATCH) + "." + std::to_string(ZOR_VERSION_TWEAK);
    expectEqual("caption", "ZOR7700Track - v" + version, narrow(textOf(frame)));
    step("frame \"" + narrow(textOf(frame)) + "\"");
}

void expectExit() {
    if (WaitForSingleObject(programProcess, kPageTimeoutMs) != WAIT_OBJECT_0) {
        fail("the program did not end");
    }
    DWORD code = 1;
    GetExitCodeProcess(programProcess, &code);
    expectEqual("exit code", "0", std::to_string(code));
    step("program ended with 0");
}

std::string fileText(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The commands the device received, without their times: "$PZOR,V" lines.
std::vector<std::string> receivedCommands(const std::wstring& path) {
    std::istringstream lines(fileText(path));
    std::vector<std::string> commands;
    for (std::string line; std::getline(lines, line);) {
        const size_t space = line.find(' ');
        if (space != std::string::npos) {
            std::string command = line.substr(space + 1);
            while (!command.empty() && (command.back() == '\r' || command.back() == ' ')) {
                command.pop_back();
            }
            commands.push_back(command);
        }
    }
    return commands;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : " ") + part;
    }
    return text;
}

void expectSettings(int comPort, int nmea, const std::wstring& folder) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ZOR\\ZOR7700Track", 0, KEY_READ, &key) != 0) {
        fail("the settings key is missing");
    }
    auto dword = [&](const wchar_t* name) {
        DWORD value = 0xDEAD;
        DWORD size = sizeof(value);
        DWORD type = 0;
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        return type == REG_DWORD ? std::to_string(static_cast<int>(value))
                                 : "type " + std::to_string(type);
    };
    wchar_t path[300] = {};
    DWORD size = sizeof(path);
    DWORD type = 0;
    RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    const std::string storedPort = dword(L"ComPort");
    const std::string storedNmea = dword(L"Nmea");
    RegCloseKey(key);
    expectEqual("setting ComPort", std::to_string(comPort), storedPort);
    expectEqual("setting Nmea", std::to_string(nmea), storedNmea);
    expectEqual("setting Path type", std::to_string(REG_SZ), std::to_string(type));
    // Empty `folder`: none was chosen, the default stays whatever it is.
    if (!folder.empty()) {
        expectEqual("setting Path", narrow(folder), narrow(path));
    }
    step("settings ComPort " + std::to_string(comPort) + ", Nmea " + std::to_string(nmea) +
         ", Path " + narrow(folder));
}

struct Run {
    std::wstring program;
    int port;
    std::wstring folder; // where the output files go
    std::wstring commands;
};

// What a screen reader is to say for each control that takes the focus or
// shows progress, on every page: the name the program gave it, else its own
// text without the '&' (as the system names a button or a check box).
void expectSpokenNames() {
    const struct {
        int id;
        const char* name;
    } names[] = {{IDC_CANCEL, "Cancel"},
                 {IDC_PREVIOUS, "Previous"},
                 {IDC_NEXT, "Next"},
                 {IDC_PORT_COMBO, "Bluetooth serial port"},
                 {IDC_REFRESH, "Refresh"},
                 {IDC_CONNECT_PROGRESS, "Connecting"},
                 {IDC_OUTPUT_PATH, "Output file"},
                 {IDC_BROWSE, "Choose output file"},
                 {IDC_ERASE_CHECK, "Erase device memory after transfer"},
                 {IDC_TRANSFER_PROGRESS, "Transfer progress"},
                 {IDC_OPEN_FOLDER, "Open Folder"}};
    for (const auto& expected : names) {
        // Set by the prefix's stand-in for the annotation service.
        const auto atom = reinterpret_cast<UINT_PTR>(GetPropW(control(expected.id), L"ZorAccName"));
        wchar_t buffer[256] = {};
        std::wstring spoken = atom != 0 && GlobalGetAtomNameW(static_cast<ATOM>(atom), buffer, 256)
                                  ? buffer
                                  : textOf(control(expected.id));
        std::erase(spoken, L'&');
        expectEqual("name of control " + std::to_string(expected.id), expected.name,
                    narrow(spoken));
    }
    step("every control named");
}

// The output page's status line as the last walk found it: a module's, empty
// for the ZOR 7700.
std::string deviceStatus;

// Welcome page, port page with the simulator's port chosen, connecting
// page, output page once the device has answered.
void walkToOutputPage(const Run& run) {
    startProgram(run.program);
    waitForPage(Welcome);
    expectSpokenNames();
    expectButtons("welcome page", false, true, true, IDC_NEXT);
    saveScreenshot(frame, L"win32-1-welcome");
    click(IDC_NEXT, "Next");
    waitForPage(Port);
    choosePort(run.port);
    expectButtons("port page with a port", true, true, true, IDC_PORT_COMBO);
    saveScreenshot(frame, L"win32-2-port");
    click(IDC_NEXT, "Next");
    // A quick device may leave the connecting page before a poll sees it.
    waitUntil([] { return shownPage() == Connecting || shownPage() == Output; }, kPageTimeoutMs,
              "ConnectingPage");
    if (shownPage() == Connecting) {
        step("page ConnectingPage");
        expectButtons("connecting page", false, false, true, IDC_CANCEL);
        saveScreenshot(frame, L"win32-3-connecting");
    }
    waitForPage(Output);
    expectButtons("output page before a file is chosen", true, false, true, IDC_BROWSE);
    deviceStatus = narrow(textOf(control(IDC_DEVICE_STATUS)));
}

// Ends on the success page with Finish, or with the close box when `closeBox`.
void transferAndFinish(const Run& run, const std::wstring& typed, const std::wstring& expected,
                       int filterIndex, bool erase, const char* successText, bool closeBox) {
    walkToOutputPage(run);
    chooseOutputFile(typed, expected, filterIndex);
    if (erase) {
        click(IDC_ERASE_CHECK, "Erase device memory after transfer");
        waitUntil(
            [] { return SendMessageW(control(IDC_ERASE_CHECK), BM_GETCHECK, 0, 0) == BST_CHECKED; },
            kPageTimeoutMs, "the erase box to be ticked");
    }
    expectButtons("output page with a file", true, true, true, erase ? IDC_ERASE_CHECK : IDC_NEXT);
    saveScreenshot(frame, L"win32-4-output");
    click(IDC_NEXT, "Next");
    waitForPage(Transfer);
    expectButtons("transfer page", false, false, true, IDC_CANCEL);
    waitUntil(
        [] {
            return SendMessageW(control(IDC_TRANSFER_PROGRESS), PBM_GETPOS, 0, 0) > 0 ||
                   shownPage() != Transfer;
        },
        kTransferTimeoutMs, "transfer progress");
    saveScreenshot(frame, L"win32-5-transfer");
    // The erase waits five seconds after the file is complete.
    waitForPage(Success, kTransferTimeoutMs);
    expectButtons("success page", false, true, false, IDC_NEXT);
    expectEqual("success text", successText, narrow(textOf(control(IDC_SUCCESS_HEADING))));
    expectEqual("Next on the success page", "&Finish", narrow(textOf(control(IDC_NEXT))));
    saveScreenshot(frame, L"win32-6-success");
    if (closeBox) {
        closeWindow();
    } else {
        click(IDC_NEXT, "Finish");
    }
    expectExit();
}

// The name is typed without a suffix: the save dialog adds ".kml".
void kmlWithErase(const Run& run) {
    const std::wstring output = run.folder + L"\\track.kml";
    transferAndFinish(run, run.folder + L"\\track", output, 1, true,
                      "Output file successfully created.\\n\\nDevice memory erased.", false);
    const std::string kml = fileText(output);
    if (kml.rfind("<?xml", 0) != 0 ||
        kml.find("<kml xmlns=\"http://www.opengis.net/kml/2.2\"") == std::string::npos ||
        kml.find("<LineString>") == std::string::npos || kml.find("</kml>") == std::string::npos) {
        fail("the output is not a KML track: " + kml.substr(0, 200));
    }
    step("KML file of " + std::to_string(kml.size()) + " bytes");
    expectEqual("status line of the ZOR 7700", "", deviceStatus);
    expectSettings(run.port, 0, run.folder);
    expectEqual("commands received", "$PZOR,V $PZOR,R $PZOR,C",
                joined(receivedCommands(run.commands)));
}

// The file type decides the format, not the name: NMEA text in a .kml file.
// The close box ends the wizard from the success page.
void nmeaWithoutErase(const Run& run) {
    const std::wstring output = run.folder + L"\\track.kml";
    transferAndFinish(run, output, output, 2, false, "Output file successfully created.", true);
    const std::string nmea = fileText(output);
    if (nmea.rfind("$GPGGA,", 0) != 0 || nmea.find("\r\n$GPRMC,") == std::string::npos) {
        fail("the output is not NMEA text: " + nmea.substr(0, 200));
    }
    step("NMEA file of " + std::to_string(nmea.size()) + " bytes");
    expectSettings(run.port, 1, run.folder);
    expectEqual("commands received", "$PZOR,V $PZOR,R", joined(receivedCommands(run.commands)));
}

// The GPX type with a bare name: the dialog gives it the type's suffix.
void gpxWithoutErase(const Run& run) {
    const std::wstring output = run.folder + L"\\track.gpx";
    transferAndFinish(run, run.folder + L"\\track", output, 3, false,
                      "Output file successfully created.", false);
    const std::string gpx = fileText(output);
    if (gpx.find("<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"") == std::string::npos ||
        gpx.find("<trkpt ") == std::string::npos || gpx.find("</gpx>") == std::string::npos) {
        fail("the output is not a GPX track: " + gpx.substr(0, 200));
    }
    step("GPX file of " + std::to_string(gpx.size()) + " bytes");
    expectSettings(run.port, 2, run.folder);
    expectEqual("commands received", "$PZOR,V $PZOR,R", joined(receivedCommands(run.commands)));
}

// A LOCUS module at 9600 baud: found at its rate, read at 115200 and set
// back, its status line on the output page.
void moduleGpx(const Run& run) {
    const std::wstring output = run.folder + L"\\track.gpx";
    transferAndFinish(run, run.folder + L"\\track", output, 3, false,
                      "Output file successfully created.", false);
    expectEqual("status line",
                "PA6H LOCUS logger: 1200 positions stored, memory 14 % used, "
                "logging every 15 s",
                deviceStatus);
    if (fileText(output).find("<trkpt ") == std::string::npos)
        fail("the output is not a GPX track");
    expectEqual("commands received",
                "$PMTK605 $PMTK183 $PMTK251,115200 $PMTK000 $PMTK622,1 $PMTK251,9600 $PMTK000",
                joined(receivedCommands(run.commands)));
}

// By keyboard on a first run, the device staying silent: the port chosen in
// the open list, Enter goes on, Up on the connecting page changes no port; the
// error page, which Escape does not leave, Enter on Previous back to the port
// page with Next enabled, and Cancel ends the wizard without a question.
void noDevice(const Run& run) {
    startProgram(run.program);
    waitForPage(Welcome);
    pressKey(VK_RETURN, "Enter");
    waitForPage(Port);
    expectButtons("port page on a first run", true, false, true, IDC_PORT_COMBO);
    choosePortByKeys(run.port);
    pressKey(VK_RETURN, "Enter");
    waitForPage(Connecting);
    expectButtons("connecting page", false, false, true, IDC_CANCEL);
    pressKey(VK_UP, "Up");
    expectEqual("port after Up", std::to_string(run.port), std::to_string(selectedPort()));
    waitForPage(Error);
    expectButtons("error page", true, false, true, IDC_PREVIOUS);
    expectEqual("error text", "No ZOR 7700 device detected.",
                narrow(textOf(control(IDC_ERROR_TEXT))));
    saveScreenshot(frame, L"win32-7-error");
    pressKey(VK_ESCAPE, "Escape");
    if (WaitForSingleObject(programProcess, 0) == WAIT_OBJECT_0 || shownPage() != Error) {
        fail("Escape left the error page");
    }
    pressKey(VK_RETURN, "Enter");
    waitForPage(Port);
    expectButtons("port page after the error", true, true, true, IDC_NEXT);
    click(IDC_CANCEL, "Cancel");
    expectExit();
    expectSettings(run.port, 0, L"");
    expectEqual("commands received", "$PZOR,V", joined(receivedCommands(run.commands)));
}

// Cancel while the log is read asks first: No keeps the transfer going, Yes
// stops it and asks for a power cycle.
void cancelDuringTransfer(const Run& run) {
    walkToOutputPage(run);
    const std::wstring output = run.folder + L"\\cancelled.kml";
    chooseOutputFile(output, output, 1);
    click(IDC_NEXT, "Next");
    waitForPage(Transfer);
    click(IDC_CANCEL, "Cancel");
    expectEqual("question", "Log-Data is currently read from the device.\\nExit anyway?",
                narrow(answerMessageBox(IDNO)));
    if (shownPage() != Transfer || WaitForSingleObject(programProcess, 0) == WAIT_OBJECT_0) {
        fail("No did not leave the transfer running");
    }
    click(IDC_CANCEL, "Cancel");
    expectEqual("question", "Log-Data is currently read from the device.\\nExit anyway?",
                narrow(answerMessageBox(IDYES)));
    expectEqual("after stopping", "Please Power-Cycle your device to resume normal operation.",
                narrow(answerMessageBox(IDOK)));
    expectExit();
    // The file is written only once the whole log has been read.
    if (GetFileAttributesW(output.c_str()) != INVALID_FILE_ATTRIBUTES) {
        fail("a stopped transfer left " + narrow(output));
    }
    expectSettings(run.port, 0, run.folder);
    expectEqual("commands received", "$PZOR,V $PZOR,R", joined(receivedCommands(run.commands)));
}

// Cancel on the output page, while the run waits for the go-ahead, ends the
// wizard at once: no question, no power-cycle message.
void cancelOnOutputPage(const Run& run) {
    walkToOutputPage(run);
    click(IDC_CANCEL, "Cancel");
    expectExit();
    if (ownedDialog(L"") != nullptr) {
        fail("a message box outlived the wizard");
    }
    expectSettings(run.port, 0, L"");
    expectEqual("commands received", "$PZOR,V", joined(receivedCommands(run.commands)));
}

std::wstring windowsPath(std::wstring path) {
    for (wchar_t& c : path) {
        c = c == L'/' ? L'\\' : c;
    }
    return path;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: wizard_driver <scenario> <program> <COM number> <output "
                             "folder> <commands> [<shots>]\n");
        return 2;
    }
    scenario = argv[1];
    const Run run{windowsPath(argv[2]), _wtoi(argv[3]), windowsPath(argv[4]), windowsPath(argv[5])};
    if (argc > 6) {
        screenshotFolder = windowsPath(argv[6]);
    }
    const struct {
        const wchar_t* name;
        void (*body)(const Run&);
    } scenarios[] = {{L"kml-erase", kmlWithErase},
                     {L"nmea", nmeaWithoutErase},
                     {L"gpx", gpxWithoutErase},
                     {L"no-device", noDevice},
                     {L"cancel-transfer", cancelDuringTransfer},
                     {L"cancel-output", cancelOnOutputPage},
                     {L"module", moduleGpx}};
    for (const auto& s : scenarios) {
        if (scenario == s.name) {
            std::printf("%s\n", narrow(scenario).c_str());
            s.body(run);
            std::printf("PASSED %s\n", narrow(scenario).c_str());
            return 0;
        }
    }
    std::fprintf(stderr, "unknown scenario %s\n", narrow(scenario).c_str());
    return 2;
}
