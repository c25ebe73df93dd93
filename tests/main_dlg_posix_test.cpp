// The wizard with the real Linux pieces: port discovery over user-defined
// COM links to pseudo-terminals, and the worker's reports through the queue.
#include "app/main_dlg.h"

#include "device/transfer_texts.h"

#include "resources/resource_ids.h"
#include "support/fake_wizard_view.h"
#include "support/pseudo_terminal_posix.h"
#include "support/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr intptr_t kPlaceholder = 65280;

fs::path portLink(int port) {
    return fs::path(std::getenv("XDG_CONFIG_HOME")) / "ZOR" / "ports" /
           ("com" + std::to_string(port));
}

intptr_t selectedData(FakeWizardView& view) {
    return view.ComboItemData(IDC_PORT_COMBO, view.ComboSelection(IDC_PORT_COMBO));
}

TEST(MainDlgPortsTest, PreselectionAndRefresh) {
    enum class Then {
        Nothing,
        Select5,
        SelectPlaceholder,
        Select5ThenRefresh,
        Select12ThenUnplugAndRefresh,
        Plug7AndRefresh
    };
    struct Row {
        const char* name;
        int storedPort; // -1: nothing stored (first run)
        Then then;
        intptr_t selected;
        bool nextEnabled;
        int32_t comPort; // the setting, saved at the end
        int32_t focus;
    };
    const Row rows[] = {
        {"first run selects the placeholder", -1, Then::Nothing, kPlaceholder, false, -1,
         IDC_PORT_COMBO},
        {"choosing with the keys keeps the focus in the list", -1, Then::Select5, 5, true, 5,
         IDC_PORT_COMBO},
        {"a remembered present port is preselected", 12, Then::Nothing, 12, true, 12, IDC_NEXT},
        {"a remembered absent port selects the placeholder and stays remembered", 7, Then::Nothing,
         kPlaceholder, false, 7, IDC_PORT_COMBO},
        {"a remembered port that appears is preselected after a refresh", 7, Then::Plug7AndRefresh,
         7, true, 7, IDC_NEXT},
        {"choosing the placeholder disables Next and is remembered", 12, Then::SelectPlaceholder,
         kPlaceholder, false, kPlaceholder, IDC_PORT_COMBO},
        {"refresh keeps the chosen port", 12, Then::Select5ThenRefresh, 5, true, 5, IDC_REFRESH},
        {"refresh after the port vanished selects the placeholder, the port stays remembered", 5,
         Then::Select12ThenUnplugAndRefresh, kPlaceholder, false, 12, IDC_REFRESH},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        useFreshSettingsStore();
        fs::create_directories(portLink(0).parent_path());
        PseudoTerminal five;
        PseudoTerminal twelve;
        fs::create_symlink(five.slavePath(), portLink(5));
        fs::create_symlink(twelve.slavePath(), portLink(12));
        if (row.storedPort >= 0) {
            storeNumber(u"ComPort", static_cast<uint32_t>(row.storedPort));
        }
        {
            FakeWizardView view;
            CMainDlg wizard(view);
            view.RunModal(wizard);
            view.Click(wizard, IDC_NEXT);
            ASSERT_EQ(view.ShownPage(), PortPage);
            const auto& items = view.combos[IDC_PORT_COMBO];
            ASSERT_GE(items.size(), 3u);
            EXPECT_EQ(items[0].text, u"Select Serial Port ...");
            EXPECT_EQ(items[0].data, kPlaceholder);
            switch (row.then) {
            case Then::Nothing:
                break;
            case Then::Select5:
                view.SelectPort(wizard, 5);
                break;
            case Then::SelectPlaceholder:
                view.SelectPort(wizard, kPlaceholder);
                break;
            case Then::Select5ThenRefresh:
                view.SelectPort(wizard, 5);
                view.ClickPageControl(wizard, IDC_REFRESH);
                break;
            case Then::Select12ThenUnplugAndRefresh:
                view.SelectPort(wizard, 12);
                fs::remove(portLink(12));
                view.ClickPageControl(wizard, IDC_REFRESH);
                break;
            case Then::Plug7AndRefresh:
                fs::create_symlink(twelve.slavePath(), portLink(7));
                view.ClickPageControl(wizard, IDC_REFRESH);
                break;
            }
            EXPECT_EQ(selectedData(view), row.selected);
            EXPECT_EQ(view.IsControlEnabled(IDC_NEXT), row.nextEnabled);
            EXPECT_EQ(view.focus, row.focus);
        }
        EXPECT_EQ(storedNumber(u"ComPort").value_or(0xFFFFFFFF), static_cast<uint32_t>(row.comPort))
            << "saved at the end";
    }
}

TEST(MainDlgPortsTest, ItemsNameEachPortOnce) {
    useFreshSettingsStore();
    fs::create_directories(portLink(0).parent_path());
    PseudoTerminal five;
    fs::create_symlink(five.slavePath(), portLink(5));
    FakeWizardView view;
    CMainDlg wizard(view);
    view.RunModal(wizard);
    view.ClickPageControl(wizard, IDC_REFRESH);
    view.ClickPageControl(wizard, IDC_REFRESH);
    int fives = 0;
    for (const auto& item : view.combos[IDC_PORT_COMBO]) {
        if (item.data == 5) {
            ++fives;
            EXPECT_EQ(item.text.substr(0, 9), u"COM5   - ")
                << "number left-aligned in three places";
        }
    }
    EXPECT_EQ(fives, 1) << "a refresh rebuilds the list instead of adding to it";
}

TEST(MainDlgWorkerTest, TheWorkersFailureReachesTheErrorPage) {
    useFreshSettingsStore();
    FakeWizardView view;
    CMainDlg wizard(view);
    view.RunModal(wizard);
    view.Click(wizard, IDC_NEXT);
    // COM200 names no device in a fresh configuration: the run fails to open it.
    view.AddComboItem(IDC_PORT_COMBO, u"COM200 - nowhere", 200);
    view.SelectPort(wizard, 200);
    // The first run has ended with its report: Previous and Next start another.
    for (const char* run : {"first run", "second run"}) {
        SCOPED_TRACE(run);
        view.Click(wizard, IDC_NEXT);
        ASSERT_EQ(view.ShownPage(), ConnectingPage);
        EXPECT_GE(view.DeliverWorkerReports(wizard, 5000), 1);
        EXPECT_EQ(view.ShownPage(), ErrorPage);
        EXPECT_EQ(view.Text(IDC_ERROR_TEXT), std::u16string(ErrorText(kErrorOpenPort)));
        view.Click(wizard, IDC_PREVIOUS);
    }
}

} // namespace
