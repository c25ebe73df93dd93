// Reads the dialog templates, the icon, the version record and the manifest
// back out of the built program and compares them with the wizard's layout:
// every control's id, class, text, position and the styles that matter.
// Usage: program_resources_test <path of ZOR7700Track.exe>
#include "resources/resource_ids.h"
#include "version.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

namespace {

std::wstring programPath;

// What the template says about one control.
struct ControlItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int id = 0;
    std::wstring className;
    std::wstring text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    int width = 0, height = 0;
    std::wstring caption;
    int pointSize = 0;
    std::wstring face;
    std::vector<ControlItem> controls;
};

// Reads the extended template format that DIALOGEX produces.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : at(data) {}

    DialogTemplate read() {
        DialogTemplate dialog;
        const WORD version = word();
        const WORD signature = word();
        EXPECT_EQ(version, 1);
        EXPECT_EQ(signature, 0xFFFF) << "not an extended dialog template";
        dword(); // help id
        dialog.exStyle = dword();
        dialog.style = dword();
        const WORD count = word();
        word(); // x
        word(); // y
        dialog.width = static_cast<short>(word());
        dialog.height = static_cast<short>(word());
        nameOrOrdinal(); // menu
        nameOrOrdinal(); // class
        dialog.caption = text();
        if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
            dialog.pointSize = word();
            word(); // weight
            word(); // italic, charset
            dialog.face = text();
        }
        for (WORD i = 0; i < count; ++i) {
            dialog.controls.push_back(control());
        }
        return dialog;
    }

private:
    ControlItem control() {
        alignTo(4);
        ControlItem item;
        dword(); // help id
        item.exStyle = dword();
        item.style = dword();
        item.x = static_cast<short>(word());
        item.y = static_cast<short>(word());
        item.width = static_cast<short>(word());
        item.height = static_cast<short>(word());
        item.id = static_cast<int>(static_cast<LONG>(dword()));
        item.className = className(nameOrOrdinal());
        item.text = nameOrOrdinal();
        const WORD extra = word();
        at += extra;
        return item;
    }

    static std::wstring className(const std::wstring& raw) {
        static const struct {
            wchar_t ordinal;
            const wchar_t* name;
        } atoms[] = {{0x80, L"Button"},  {0x81, L"Edit"},      {0x82, L"Static"},
                     {0x83, L"ListBox"}, {0x84, L"ScrollBar"}, {0x85, L"ComboBox"}};
        for (const auto& atom : atoms) {
            if (raw == std::wstring(L"#") + atom.ordinal) {
                return atom.name;
            }
        }
        return raw;
    }

    // A text, or "#" and the ordinal for the 0xFFFF form.
    std::wstring nameOrOrdinal() {
        const WORD first = peekWord();
        if (first == 0xFFFF) {
            word();
            return std::wstring(L"#") + static_cast<wchar_t>(word());
        }
        return text();
    }
    std::wstring text() {
        std::wstring value;
        for (WORD c = word(); c != 0; c = word()) {
            value += static_cast<wchar_t>(c);
        }
        return value;
    }
    WORD peekWord() const {
        WORD value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    WORD word() {
        const WORD value = peekWord();
        at += sizeof value;
        return value;
    }
    DWORD dword() {
        DWORD value;
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    void alignTo(uintptr_t bytes) {
        at = reinterpret_cast<const BYTE*>((reinterpret_cast<uintptr_t>(at) + bytes - 1) &
                                           ~(bytes - 1));
    }

    const BYTE* at;
};

class ProgramModule {
public:
    ProgramModule()
        : module(LoadLibraryExW(programPath.c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ProgramModule() {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    HMODULE get() const { return module; }

    // The bytes of a resource, or null.
    const BYTE* find(LPCWSTR name, LPCWSTR type, DWORD* size = nullptr) const {
        HRSRC info = FindResourceW(module, name, type);
        if (info == nullptr) {
            return nullptr;
        }
        if (size != nullptr) {
            *size = SizeofResource(module, info);
        }
        return static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
    }

private:
    HMODULE module;
};

// Expected control: the kind fixes the class and the style type bits.
enum class Kind {
    Push,
    DefPush,
    CentredStatic,
    LeftStatic,
    Etched,
    DropList,
    Progress,
    Edit,
    Check
};

struct Expected {
    Kind kind;
    int id;
    const wchar_t* text;
    int x, y, width, height;
    bool visible = true;
    bool enabled = true;
};

struct KindFacts {
    const wchar_t* className;
    DWORD typeMask;
    DWORD typeValue;
    DWORD required;
};

KindFacts factsOf(Kind kind) {
    switch (kind) {
    case Kind::Push:
        return {L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP};
    case Kind::DefPush:
        return {L"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON, WS_TABSTOP};
    case Kind::Check:
        return {L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, WS_TABSTOP};
    case Kind::CentredStatic:
        return {L"Static", SS_TYPEMASK, SS_CENTER, 0};
    case Kind::LeftStatic:
        return {L"Static", SS_TYPEMASK, SS_LEFT, 0};
    case Kind::Etched:
        return {L"Static", SS_TYPEMASK, SS_ETCHEDHORZ, 0};
    case Kind::DropList:
        return {L"ComboBox", 0x3 | CBS_SORT, CBS_DROPDOWNLIST, WS_VSCROLL | WS_TABSTOP};
    case Kind::Progress:
        return {PROGRESS_CLASSW, PBS_SMOOTH, PBS_SMOOTH, WS_BORDER};
    case Kind::Edit:
        return {L"Edit", ES_AUTOHSCROLL, ES_AUTOHSCROLL, WS_BORDER};
    }
    return {};
}

struct ExpectedDialog {
    const char* name;
    int templateId;
    int width, height;
    std::vector<Expected> controls;
};

const wchar_t* const kPressNext = L"Press Next to Continue";
const wchar_t* const kPleaseWait = L"Please Wait ...";

std::vector<ExpectedDialog> expectedPages() {
    return {
        {"WelcomePage",
         IDD_WELCOME_PAGE,
         240,
         140,
         {{Kind::CentredStatic, IDC_WELCOME_HEADING,
           L"ZOR7700Track\n\nCreate a KML / NMEA file\nfrom your device's track log.", 7, 11, 223,
           55},
          {Kind::CentredStatic, -1,
           L"Please ensure that your ZOR 7700 is switched on\nand paired with your PC.", 1, 79, 239,
           30},
          {Kind::CentredStatic, -1, kPressNext, 0, 122, 239, 8}}},
        {"PortPage",
         IDD_PORT_PAGE,
         240,
         140,
         {{Kind::CentredStatic, IDC_PORT_HEADING,
           L"Please select the Bluetooth serial port\nfor your device:", 7, 8, 232, 34},
          {Kind::DropList, IDC_PORT_COMBO, L"", 27, 52, 185, 164},
          {Kind::Push, IDC_REFRESH, L"Refresh", 86, 84, 66, 15},
          {Kind::CentredStatic, -1, kPressNext, 0, 122, 239, 8}}},
        {"ConnectingPage",
         IDD_CONNECTING_PAGE,
         240,
         140,
         {{Kind::CentredStatic, IDC_CONNECTING_HEADING,
           L"Connecting Bluetooth Device\nThis may take several seconds", 0, 29, 239, 35},
          {Kind::Progress, IDC_CONNECT_PROGRESS, L"", 20, 77, 200, 7},
          {Kind::CentredStatic, -1, kPleaseWait, 0, 122, 239, 8}}},
        {"OutputPage",
         IDD_OUTPUT_PAGE,
         240,
         140,
         {{Kind::CentredStatic, IDC_OUTPUT_HEADING, L"Please select output file:", 0, 24, 239, 20},
          {Kind::Edit, IDC_OUTPUT_PATH, L"", 0, 55, 215, 12, true, false},
          {Kind::DefPush, IDC_BROWSE, L"...", 218, 54, 21, 13},
          {Kind::Check, IDC_ERASE_CHECK, L"&Erase device memory after transfer", 54, 84, 130, 10},
          {Kind::CentredStatic, IDC_DEVICE_STATUS, L"", 0, 100, 239, 16},
          {Kind::CentredStatic, -1, kPressNext, 0, 122, 239, 8}}},
        {"TransferPage",
         IDD_TRANSFER_PAGE,
         240,
         140,
         {{Kind::CentredStatic, IDC_TRANSFER_HEADING, L"Transferring Data ...", 8, 38, 223, 21},
          {Kind::Progress, IDC_TRANSFER_PROGRESS, L"", 19, 66, 200, 7},
          {Kind::CentredStatic, -1, kPleaseWait, 0, 114, 239, 8}}},
        {"SuccessPage",
         IDD_SUCCESS_PAGE,
         240,
         140,
         {{Kind::CentredStatic, IDC_SUCCESS_HEADING, L"", 8, 41, 223, 38},
          {Kind::Push, IDC_OPEN_FOLDER, L"&Open Folder", 85, 94, 68, 14}}},
        {"ErrorPage",
         IDD_ERROR_PAGE,
         240,
         140,
         {{Kind::CentredStatic, IDC_ERROR_HEADING, L"ERROR", 0, 0, 239, 18},
          {Kind::CentredStatic, IDC_ERROR_TEXT, L"X", 7, 25, 223, 77},
          {Kind::CentredStatic, -1, L"Press Previous to Resume", 0, 122, 239, 8}}},
    };
}

ExpectedDialog expectedFrame() {
    return {"frame",
            IDD_MAIN,
            255,
            186,
            {{Kind::Push, IDC_CANCEL, L"&Cancel", 94, 164, 48, 15},
             {Kind::Push, IDC_PREVIOUS, L"&Previous", 147, 164, 48, 15},
             {Kind::DefPush, IDC_NEXT, L"&Next", 200, 164, 48, 15},
             {Kind::Etched, -1, L"", 7, 156, 241, 4},
             {Kind::LeftStatic, IDC_PAGE_PLACEHOLDER, L"X", 7, 7, 240, 140, false}}};
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += c == L'\n' ? std::string("\\n") : std::string(1, static_cast<char>(c));
    }
    return out;
}

std::string upper(const std::wstring& text) {
    std::string out = narrow(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

void checkControls(const ExpectedDialog& expected, const DialogTemplate& actual) {
    ASSERT_EQ(actual.controls.size(), expected.controls.size())
        << expected.name << ": control count";
    for (size_t i = 0; i < expected.controls.size(); ++i) {
        const Expected& want = expected.controls[i];
        const ControlItem& got = actual.controls[i];
        const std::string where = std::string(expected.name) + " control " + std::to_string(i) +
                                  " (id " + std::to_string(want.id) + ")";
        const KindFacts facts = factsOf(want.kind);
        EXPECT_EQ(got.id, want.id) << where;
        // Class names are case-insensitive; windres writes them in capitals.
        EXPECT_EQ(upper(got.className), upper(facts.className)) << where << ": class";
        EXPECT_EQ(narrow(got.text), narrow(want.text)) << where << ": text";
        EXPECT_EQ(got.x, want.x) << where << ": x";
        EXPECT_EQ(got.y, want.y) << where << ": y";
        EXPECT_EQ(got.width, want.width) << where << ": width";
        EXPECT_EQ(got.height, want.height) << where << ": height";
        EXPECT_EQ(got.style & facts.typeMask, facts.typeValue) << where << ": type style bits";
        EXPECT_EQ(got.style & facts.required, facts.required) << where << ": required styles";
        EXPECT_EQ((got.style & WS_VISIBLE) != 0, want.visible) << where << ": WS_VISIBLE";
        EXPECT_EQ((got.style & WS_DISABLED) == 0, want.enabled) << where << ": WS_DISABLED";
        EXPECT_NE(got.style & WS_CHILD, 0u) << where << ": WS_CHILD";
    }
}

DialogTemplate loadTemplate(const ProgramModule& program, int templateId) {
    const BYTE* data =
        program.find(MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (data == nullptr) {
        ADD_FAILURE() << "template " << templateId << " missing";
        return {};
    }
    return TemplateReader(data).read();
}

TEST(ProgramResources, FrameTemplate) {
    ProgramModule program;
    ASSERT_NE(program.get(), nullptr) << "cannot load " << narrow(programPath);
    const ExpectedDialog expected = expectedFrame();
    const DialogTemplate frame = loadTemplate(program, expected.templateId);
    EXPECT_EQ(narrow(frame.caption), "ZOR7700Track");
    EXPECT_EQ(frame.width, 255);
    EXPECT_EQ(frame.height, 186);
    EXPECT_EQ(frame.pointSize, 8);
    EXPECT_EQ(narrow(frame.face), "MS Shell Dlg");
    const DWORD styles = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
    EXPECT_EQ(frame.style & styles, styles);
    EXPECT_EQ(frame.style & (WS_CHILD | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    const DWORD exStyles = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    EXPECT_EQ(frame.exStyle & exStyles, exStyles);
    checkControls(expected, frame);
}

TEST(ProgramResources, PageTemplates) {
    ProgramModule program;
    ASSERT_NE(program.get(), nullptr) << "cannot load " << narrow(programPath);
    for (const ExpectedDialog& expected : expectedPages()) {
        const DialogTemplate page = loadTemplate(program, expected.templateId);
        EXPECT_EQ(page.width, expected.width) << expected.name;
        EXPECT_EQ(page.height, expected.height) << expected.name;
        EXPECT_EQ(page.pointSize, 8) << expected.name;
        EXPECT_EQ(narrow(page.face), "MS Shell Dlg") << expected.name;
        EXPECT_EQ(page.style & (DS_CONTROL | WS_CHILD), DWORD(DS_CONTROL | WS_CHILD))
            << expected.name;
        EXPECT_EQ(page.style & (WS_VISIBLE | WS_CAPTION | WS_POPUP), 0u)
            << expected.name << ": a page is a hidden child without caption";
        checkControls(expected, page);
    }
}

TEST(ProgramResources, IconManifestAndVersion) {
    ProgramModule program;
    ASSERT_NE(program.get(), nullptr) << "cannot load " << narrow(programPath);
    EXPECT_NE(
        program.find(MAKEINTRESOURCEW(IDI_MAIN_ICON), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */),
        nullptr)
        << "icon 107";

    DWORD size = 0;
    const BYTE* manifest =
        program.find(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */, &size);
    ASSERT_NE(manifest, nullptr) << "manifest";
    const std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("<dpiAware"), std::string::npos);

    DWORD ignored = 0;
    const DWORD infoSize = GetFileVersionInfoSizeW(programPath.c_str(), &ignored);
    ASSERT_GT(infoSize, 0u) << "no version record";
    std::vector<BYTE> block(infoSize);
    ASSERT_TRUE(GetFileVersionInfoW(programPath.c_str(), 0, infoSize, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length));
    EXPECT_EQ(HIWORD(info->dwProductVersionMS), ZOR_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(info->dwProductVersionMS), ZOR_VERSION_MINOR);
    EXPECT_EQ(HIWORD(info->dwProductVersionLS), ZOR_VERSION_PATCH);
    EXPECT_EQ(LOWORD(info->dwProductVersionLS), ZOR_VERSION_TWEAK);
    wchar_t* copyright = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\LegalCopyright",
                               reinterpret_cast<void**>(&copyright), &length));
    EXPECT_EQ(std::wstring(copyright), L"Copyright (C) 2026 The ZOR7700Track developers");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: program_resources_test <ZOR7700Track.exe>\n");
        return 2;
    }
    programPath = argv[1];
    for (wchar_t& c : programPath) {
        c = c == L'/' ? L'\\' : c;
    }
    return RUN_ALL_TESTS();
}
