#include "app/main_dlg.h"

#include "device/transfer_texts.h"
#include "resources/resource_ids.h"
#include "support/fake_wizard_view.h"
#include "support/settings_store.h"
#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A port number that names no device: a run for it fails at once with
// code 1, a report the tests leave undelivered.
constexpr intptr_t kAbsentPort = 200;
constexpr intptr_t kPlaceholder = 65280;

std::string narrow(const std::u16string& text) {
    return narrowText(text);
}

// Every test gets a private settings store.
class MainDlgTest : public ::testing::Test {
protected:
    // A new user session: the old wizard goes (saving), a new view comes.
    void Fresh() {
        wizard.reset();
        view = std::make_unique<FakeWizardView>();
    }
    void SetUp() override { useFreshSettingsStore(); }
    void TearDown() override { wizard.reset(); }

    CMainDlg& Start() {
        wizard = std::make_unique<CMainDlg>(*view);
        view->RunModal(*wizard);
        return *wizard;
    }
    // The port page with a selectable absent port, as after a refresh.
    void OfferAbsentPort() { view->AddComboItem(IDC_PORT_COMBO, u"COM200 - nowhere", kAbsentPort); }

    // Drives a fresh wizard the way a user would to `page`.
    void GoTo(int32_t page) {
        Start();
        if (page == WelcomePage) {
            return;
        }
        view->Click(*wizard, IDC_NEXT);
        if (page == PortPage) {
            return;
        }
        OfferAbsentPort();
        view->SelectPort(*wizard, kAbsentPort);
        view->Click(*wizard, IDC_NEXT);
        if (page == ConnectingPage) {
            return;
        }
        if (page == ErrorPage) {
            view->Report(*wizard, kReportFailed, kErrorNoDevice);
            return;
        }
        view->Report(*wizard, kReportDeviceFound, 0);
        if (page == OutputPage) {
            return;
        }
        view->saveReplies.push_back({u"/tmp/out/track.kml", TrackFormat::Kml});
        view->ClickPageControl(*wizard, IDC_BROWSE);
        view->Click(*wizard, IDC_NEXT);
        if (page == TransferPage) {
            return;
        }
        AwaitRunEnd();
        view->Report(*wizard, kReportComplete, 0);
    }
    // A completion is read together with the run's dump record, so a faked
    // one may only come once the real run (for the absent port) has ended.
    void AwaitRunEnd() { ASSERT_TRUE(view->DiscardWorkerReports(5000)); }

    std::unique_ptr<FakeWizardView> view = std::make_unique<FakeWizardView>();
    std::unique_ptr<CMainDlg> wizard;
};

TEST(WizardButtons, RulesFollowThePageAndItsChoices) {
    struct Row {
        const char* name;
        PageChoices shown; // page, port item, a file chosen
        ButtonStates expected;
    };
    const Row rows[] = {
        {"welcome: only Next and Cancel", {WelcomePage, -1, false}, {u"&Next", true, false, true}},
        {"placeholder: Next off", {PortPage, kPlaceholder, false}, {u"&Next", false, true, true}},
        {"no port selected: Next off", {PortPage, -1, false}, {u"&Next", false, true, true}},
        {"port page with a port: Next on", {PortPage, 200, false}, {u"&Next", true, true, true}},
        {"port 0 is a port", {PortPage, 0, false}, {u"&Next", true, true, true}},
        {"port 255 is the last port", {PortPage, 255, false}, {u"&Next", true, true, true}},
        {"256 is no port", {PortPage, 256, false}, {u"&Next", false, true, true}},
        {"connecting: only Cancel", {ConnectingPage, 5, true}, {u"&Next", false, false, true}},
        {"output page, no file: Next off", {OutputPage, 5, false}, {u"&Next", false, true, true}},
        {"output page with a file: Next on", {OutputPage, -1, true}, {u"&Next", true, true, true}},
        {"transfer: only Cancel", {TransferPage, 5, true}, {u"&Next", false, false, true}},
        {"success: Finish, Cancel off", {SuccessPage, -1, true}, {u"&Finish", true, false, false}},
        {"error: Previous and Cancel", {ErrorPage, 5, true}, {u"&Next", false, true, true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ButtonStates states = buttonStates(row.shown);
        EXPECT_EQ(narrow(states.nextText), narrow(row.expected.nextText));
        EXPECT_EQ(states.next, row.expected.next);
        EXPECT_EQ(states.previous, row.expected.previous);
        EXPECT_EQ(states.cancel, row.expected.cancel);
    }
}

TEST_F(MainDlgTest, TheFrameFollowsTheButtonRulesAndTheFocusItsPage) {
    struct Row {
        const char* name;
        int32_t page;
        bool chooseNoPort; // port page with the placeholder selected
        bool chooseFile;   // output page after a file was chosen
        int32_t focus;     // never on a disabled or hidden control
    };
    const Row rows[] = {
        {"welcome", WelcomePage, false, false, IDC_NEXT},
        {"port page with the placeholder", PortPage, true, false, IDC_PORT_COMBO},
        {"port page with a port", PortPage, false, false, IDC_NEXT},
        {"connecting", ConnectingPage, false, false, IDC_CANCEL},
        {"output page without a file", OutputPage, false, false, IDC_BROWSE},
        {"output page with a file", OutputPage, false, true, IDC_NEXT},
        {"transfer", TransferPage, false, false, IDC_CANCEL},
        {"success", SuccessPage, false, false, IDC_NEXT},
        {"error", ErrorPage, false, false, IDC_PREVIOUS},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        GoTo(row.page == PortPage ? ConnectingPage : row.page);
        if (row.page == PortPage) {
            // Back from the output page keeps the chosen port selected.
            view->Report(*wizard, kReportDeviceFound, 0);
            view->Click(*wizard, IDC_PREVIOUS);
            if (row.chooseNoPort) {
                view->SelectPort(*wizard, kPlaceholder);
            }
        }
        if (row.chooseFile) {
            view->saveReplies.push_back({u"/tmp/a.kml", TrackFormat::Kml});
            view->ClickPageControl(*wizard, IDC_BROWSE);
        }
        ASSERT_EQ(view->ShownPage(), row.page);
        const auto portItem = static_cast<int32_t>(
            view->ComboItemData(IDC_PORT_COMBO, view->ComboSelection(IDC_PORT_COMBO)));
        const ButtonStates rules =
            buttonStates({row.page, portItem, !view->Text(IDC_OUTPUT_PATH).empty()});
        EXPECT_EQ(narrow(view->Text(IDC_NEXT)), narrow(rules.nextText));
        EXPECT_EQ(view->IsControlEnabled(IDC_NEXT), rules.next);
        EXPECT_EQ(view->IsControlEnabled(IDC_PREVIOUS), rules.previous);
        EXPECT_EQ(view->IsControlEnabled(IDC_CANCEL), rules.cancel);
        EXPECT_EQ(view->focus, row.focus);
        wizard.reset();
    }
}

TEST_F(MainDlgTest, NextTakesTheFocusWhenItBecomesEnabledOrAFileIsChosen) {
    GoTo(OutputPage);
    EXPECT_EQ(view->focus, IDC_BROWSE);
    view->ClickPageControl(*wizard, IDC_BROWSE);
    EXPECT_EQ(view->focus, IDC_BROWSE) << "the dialog cancelled without a file";
    view->saveReplies.push_back({u"/tmp/a.kml", TrackFormat::Kml});
    view->ClickPageControl(*wizard, IDC_BROWSE);
    EXPECT_EQ(view->focus, IDC_NEXT) << "the first file: Next became enabled";
    view->saveReplies.push_back({u"/tmp/b.kml", TrackFormat::Kml});
    view->ClickPageControl(*wizard, IDC_BROWSE);
    EXPECT_EQ(view->focus, IDC_NEXT) << "another file: Next enabled already";
}

// One user action or worker report.
enum class Act {
    Next,
    Previous,
    Cancel,
    CloseBox,
    Escape,
    Enter,
    Found,
    Progress,
    Done,
    Fail,
    Other
};
struct Step {
    Act act;
    intptr_t value = 0;
};

void perform(FakeWizardView& fake, CMainDlg& wizard, const Step& step) {
    switch (step.act) {
    case Act::Next:
        fake.Click(wizard, IDC_NEXT);
        break;
    case Act::Previous:
        fake.Click(wizard, IDC_PREVIOUS);
        break;
    case Act::Cancel:
        fake.Click(wizard, IDC_CANCEL);
        break;
    case Act::CloseBox:
        fake.CloseBox(wizard);
        break;
    case Act::Escape:
        fake.Click(wizard, kIdCancel);
        break;
    case Act::Enter:
        fake.Click(wizard, kIdOk);
        break;
    case Act::Found:
        fake.Report(wizard, kReportDeviceFound, 0);
        break;
    case Act::Progress:
        fake.Report(wizard, kReportProgress, step.value);
        break;
    case Act::Done:
        // The completion is read with the run's record: the real run ends first.
        fake.DiscardWorkerReports(5000);
        fake.Report(wizard, kReportComplete, step.value);
        break;
    case Act::Fail:
        fake.Report(wizard, kReportFailed, step.value);
        break;
    case Act::Other:
        fake.Report(wizard, 2, 0);
        break;
    }
}

// The run as the user meets it, read from what the wizard does when it is
// closed and a report comes after.
enum RunIs {
    Settled,      // closing ends at once; a later report still counts
    StopsOnClose, // closing ends at once and stops the run (connecting)
    AsksOnClose,  // closing asks first (transferring)
    DropsReports, // ended with a run on: its reports are dropped
};

// Tries the close box (a question answered No) unless the wizard has ended,
// then sends a progress report.
RunIs observedRun(FakeWizardView& fake, CMainDlg& wizard) {
    const bool ended = fake.ended;
    if (!ended) {
        const size_t asked = fake.questions.size();
        fake.yesNoAnswers.clear();
        fake.CloseBox(wizard);
        if (fake.questions.size() > asked) {
            return AsksOnClose;
        }
    }
    constexpr int32_t kProbe = 42;
    fake.Report(wizard, kReportProgress, kProbe);
    if (fake.progress[IDC_TRANSFER_PROGRESS].position == kProbe) {
        return Settled;
    }
    return ended ? DropsReports : StopsOnClose;
}

TEST_F(MainDlgTest, PageFlowAndTransferState) {
    struct Row {
        const char* name;
        int32_t from;
        std::vector<Step> steps;
        int32_t page;
        RunIs run;
        intptr_t endCode; // -1: still running
    };
    const Row rows[] = {
        {"welcome Next shows the port page", WelcomePage, {{Act::Next}}, PortPage, Settled, -1},
        {"Previous on welcome stays", WelcomePage, {{Act::Previous}}, WelcomePage, Settled, -1},
        {"port Previous shows welcome", PortPage, {{Act::Previous}}, WelcomePage, Settled, -1},
        {"connecting: found shows the output page",
         ConnectingPage,
         {{Act::Found}},
         OutputPage,
         StopsOnClose,
         -1},
        {"output Previous cancels to the port page",
         OutputPage,
         {{Act::Previous}},
         PortPage,
         Settled,
         -1},
        {"the stopped run's code 7 settles it",
         OutputPage,
         {{Act::Previous}, {Act::Fail, 7}},
         PortPage,
         Settled,
         -1},
        {"complete shows success", TransferPage, {{Act::Done, 0}}, SuccessPage, Settled, -1},
        {"code 7 on the transfer page returns to the port page",
         TransferPage,
         {{Act::Fail, 7}},
         PortPage,
         Settled,
         -1},
        {"code 7 on the connecting page changes no page",
         ConnectingPage,
         {{Act::Fail, 7}},
         ConnectingPage,
         Settled,
         -1},
        {"a failure shows the error page", TransferPage, {{Act::Fail, 3}}, ErrorPage, Settled, -1},
        {"error Previous shows the port page", ErrorPage, {{Act::Previous}}, PortPage, Settled, -1},
        {"error, back and Next starts a fresh run",
         ErrorPage,
         {{Act::Previous}, {Act::Next}},
         ConnectingPage,
         StopsOnClose,
         -1},
        {"found while on the transfer page is ignored",
         TransferPage,
         {{Act::Found}},
         TransferPage,
         AsksOnClose,
         -1},
        {"found while on the port page is ignored",
         OutputPage,
         {{Act::Previous}, {Act::Found}},
         PortPage,
         Settled,
         -1},
        {"progress keeps the page",
         OutputPage,
         {{Act::Progress, 57}},
         OutputPage,
         StopsOnClose,
         -1},
        {"an unknown report is ignored",
         TransferPage,
         {{Act::Other}},
         TransferPage,
         AsksOnClose,
         -1},
        {"Escape ends nothing", PortPage, {{Act::Escape}}, PortPage, Settled, -1},
        {"Enter ends nothing", WelcomePage, {{Act::Enter}}, WelcomePage, Settled, -1},
        {"Finish ends with 0", SuccessPage, {{Act::Next}}, SuccessPage, Settled, 0},
        {"Cancel ends with 1009", WelcomePage, {{Act::Cancel}}, WelcomePage, Settled, IDC_CANCEL},
        {"the close box ends with 0", ErrorPage, {{Act::CloseBox}}, ErrorPage, Settled, 0},
        {"the close box on success ends with 0",
         SuccessPage,
         {{Act::CloseBox}},
         SuccessPage,
         Settled,
         0},
        {"Cancel while connecting ends and closes the run",
         ConnectingPage,
         {{Act::Cancel}},
         ConnectingPage,
         DropsReports,
         IDC_CANCEL},
        {"Cancel on the output page ends",
         OutputPage,
         {{Act::Cancel}},
         OutputPage,
         DropsReports,
         IDC_CANCEL},
        {"Cancel after a cancelled run touches nothing",
         OutputPage,
         {{Act::Previous}, {Act::Cancel}},
         PortPage,
         Settled,
         IDC_CANCEL},
        {"Closing drops a late completion",
         ConnectingPage,
         {{Act::Cancel}, {Act::Done, 1}},
         ConnectingPage,
         DropsReports,
         IDC_CANCEL},
        {"Closing drops a late failure",
         ConnectingPage,
         {{Act::CloseBox}, {Act::Fail, 3}},
         ConnectingPage,
         DropsReports,
         0},
        // Run A is stopped from the output page; run B starts before A's last
        // report has been handled. A's report must not settle B.
        {"a stopped run's last word leaves the next run connecting",
         OutputPage,
         {{Act::Previous}, {Act::Next}, {Act::Fail, kErrorStopped}},
         ConnectingPage,
         StopsOnClose,
         -1},
        {"then the next run's failure shows the error page",
         OutputPage,
         {{Act::Previous}, {Act::Next}, {Act::Fail, kErrorStopped}, {Act::Fail, kErrorNoDevice}},
         ErrorPage,
         Settled,
         -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        GoTo(row.from);
        for (const Step& step : row.steps) {
            perform(*view, *wizard, step);
        }
        EXPECT_EQ(view->ShownPage(), row.page);
        EXPECT_EQ(view->ended ? view->endCode : -1, row.endCode);
        EXPECT_TRUE(view->questions.empty()) << "no question outside a transfer";
        EXPECT_TRUE(view->messages.empty()) << "no power-cycle message outside a transfer";
        if (view->ended) {
            EXPECT_FALSE(view->pagesCreated) << "pages destroyed at the end";
            EXPECT_TRUE(view->timers.empty()) << "timer killed at the end";
        }
        EXPECT_EQ(observedRun(*view, *wizard), row.run);
        wizard.reset();
    }
}

TEST_F(MainDlgTest, LeavingWhileTransferringAsksFirst) {
    struct Row {
        const char* name;
        Act leave;
        std::vector<bool> answers;
        bool ended;
        intptr_t endCode;
    };
    const Row rows[] = {
        {"Cancel answered no keeps transferring", Act::Cancel, {false}, false, -1},
        {"Cancel answered yes ends with 1009", Act::Cancel, {true}, true, IDC_CANCEL},
        {"close box answered no keeps transferring", Act::CloseBox, {false}, false, -1},
        {"close box answered yes ends with 0", Act::CloseBox, {true}, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        GoTo(TransferPage);
        view->yesNoAnswers.assign(row.answers.begin(), row.answers.end());
        perform(*view, *wizard, {row.leave});
        ASSERT_EQ(view->questions.size(), 1u);
        EXPECT_EQ(narrow(view->questions[0]),
                  "Log-Data is currently read from the device.\nExit anyway?");
        EXPECT_EQ(view->ended, row.ended);
        EXPECT_EQ(view->ended ? view->endCode : -1, row.endCode);
        if (row.ended) {
            ASSERT_EQ(view->messages.size(), 1u);
            EXPECT_EQ(narrow(view->messages[0]),
                      "Please Power-Cycle your device to resume normal operation.");
        } else {
            EXPECT_EQ(view->ShownPage(), TransferPage);
            EXPECT_TRUE(view->messages.empty());
            EXPECT_TRUE(view->pagesCreated);
        }
        EXPECT_EQ(observedRun(*view, *wizard), row.ended ? DropsReports : AsksOnClose);
        wizard.reset();
    }
}

TEST_F(MainDlgTest, ReportsWhileTheQuestionOrTheMessageIsUp) {
    // The run completes while the question is shown: success behind it, and
    // yes then ends without stopping anything or asking to power-cycle.
    GoTo(TransferPage);
    AwaitRunEnd();
    view->whileAsking = [this] { view->Report(*wizard, kReportComplete, 0); };
    view->yesNoAnswers = {true};
    view->Click(*wizard, IDC_CANCEL);
    EXPECT_EQ(view->ShownPage(), SuccessPage);
    EXPECT_TRUE(view->ended);
    EXPECT_TRUE(view->messages.empty());
    EXPECT_EQ(observedRun(*view, *wizard), Settled);
    wizard.reset();

    // The same answered no: the focus the question gives back, on Cancel
    // (now disabled), goes to Finish.
    Fresh();
    GoTo(TransferPage);
    AwaitRunEnd();
    view->whileAsking = [this] { view->Report(*wizard, kReportComplete, 0); };
    view->Click(*wizard, IDC_CANCEL);
    EXPECT_EQ(view->ShownPage(), SuccessPage);
    EXPECT_EQ(view->focus, IDC_NEXT);
    wizard.reset();

    // A completion during the power-cycle message is dropped.
    Fresh();
    GoTo(TransferPage);
    AwaitRunEnd();
    view->whileShowingMessage = [this] { view->Report(*wizard, kReportComplete, 1); };
    view->yesNoAnswers = {true};
    view->Click(*wizard, IDC_CANCEL);
    EXPECT_EQ(view->ShownPage(), TransferPage);
    EXPECT_EQ(narrow(view->Text(IDC_SUCCESS_HEADING)), narrow(CompletionText(false)));
}

TEST_F(MainDlgTest, SuccessText) {
    struct Row {
        const char* name;
        intptr_t erased;
        const char16_t* heading;
    };
    const Row rows[] = {
        {"not erased", 0, u"Output file successfully created."},
        {"erased adds the line", 1, u"Output file successfully created.\n\nDevice memory erased."},
        {"from a damaged dump: the plain text and a warning", 2,
         u"Output file successfully created."},
        {"an erase the module did not confirm: the plain text and a warning", 3,
         u"Output file successfully created."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        GoTo(TransferPage);
        AwaitRunEnd();
        view->Report(*wizard, kReportComplete, row.erased);
        EXPECT_EQ(view->ShownPage(), SuccessPage);
        EXPECT_EQ(narrow(view->Text(IDC_SUCCESS_HEADING)), narrow(row.heading));
        EXPECT_EQ(view->warnings.size(), row.erased >= 2 ? 1u : 0u);
        wizard.reset();
    }
}

TEST_F(MainDlgTest, ErrorPageTexts) {
    struct Row {
        intptr_t code;
        const char* text;
    };
    const Row rows[] = {
        {0, "Internal Error #031.\n\nPlease contact ZOR support if this error persists."},
        {1, "Unable to open the Bluetooth connection.\n\nPlease ensure that the device is switched "
            "on and "
            "located near the Bluetooth antenna."},
        {2, "Error communicating with Bluetooth device.\n\nPlease ensure that the device is "
            "switched on "
            "and located near the Bluetooth antenna."},
        {3,
         "Error reading from Bluetooth device.\n\nPlease ensure that the device is switched on and "
         "located near the Bluetooth antenna."},
        {4, "Error opening output file.\n\nTry to use a different folder and/or filename."},
        {5, "Error writing to output file."},
        {6, "Internal Error #033.\n\nPlease contact ZOR support."},
        {8, "No ZOR 7700 device detected."},
        {9, "No tracks stored on the device."},
        {10, "Internal Error #032.\n\nPlease contact ZOR support."},
        {-1, "Internal Error #032.\n\nPlease contact ZOR support."},
        {0x7FFFFFFF, "Internal Error #032.\n\nPlease contact ZOR support."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("code " + std::to_string(row.code));
        Fresh();
        GoTo(TransferPage);
        view->Report(*wizard, kReportFailed, row.code);
        EXPECT_EQ(view->ShownPage(), ErrorPage);
        EXPECT_EQ(narrow(view->Text(IDC_ERROR_TEXT)), row.text);
        view->Click(*wizard, IDC_PREVIOUS);
        EXPECT_EQ(view->ShownPage(), PortPage) << "Previous leads back to the port page";
        wizard.reset();
    }
    // Shown nowhere, but kept with the others.
    EXPECT_EQ(narrow(ErrorText(7)), "Operation aborted.");
}

TEST_F(MainDlgTest, ProgressWhileAnotherPageIsShown) {
    GoTo(OutputPage);
    view->Report(*wizard, kReportProgress, 57);
    EXPECT_EQ(view->progress[IDC_TRANSFER_PROGRESS].position, 57);
    EXPECT_EQ(view->ShownPage(), OutputPage);
    EXPECT_EQ(observedRun(*view, *wizard), StopsOnClose);
}

TEST_F(MainDlgTest, BusyBarWrapsAndStandsStillElsewhere) {
    GoTo(ConnectingPage);
    EXPECT_EQ(view->timers[kBusyTimerId], 50u);
    EXPECT_EQ(view->progress[IDC_CONNECT_PROGRESS].position, 0);
    EXPECT_EQ(view->progress[IDC_CONNECT_PROGRESS].high, 100);
    for (int i = 0; i < 99; ++i) {
        view->Tick(*wizard);
    }
    EXPECT_EQ(view->progress[IDC_CONNECT_PROGRESS].position, 99);
    view->Tick(*wizard);
    EXPECT_EQ(view->progress[IDC_CONNECT_PROGRESS].position, 0) << "wraps from 99 to 0";
    view->Tick(*wizard);
    view->Report(*wizard, kReportDeviceFound, 0);
    view->Tick(*wizard);
    EXPECT_EQ(view->progress[IDC_CONNECT_PROGRESS].position, 1)
        << "stands still off the connecting page";
    EXPECT_EQ(wizard->HandleMessage(view->frame, kWmTimer, 7, 0), 1) << "every tick is handled";
}

TEST_F(MainDlgTest, TheSaveDialogsTypeDecidesTheFormat) {
    struct Row {
        const char* name;
        const char16_t* path;
        TrackFormat format;
        const char16_t* folder;
    };
    const Row rows[] = {
        {"KML type", u"/data/trip.kml", TrackFormat::Kml, u"/data"},
        {"NMEA type with a .kml name is NMEA", u"/data/trip.kml", TrackFormat::Nmea, u"/data"},
        {"KML type with a .txt name is KML", u"/data/sub/trip.txt", TrackFormat::Kml, u"/data/sub"},
        {"GPX type", u"/data/trip.gpx", TrackFormat::Gpx, u"/data"},
        {"GPX type with a .kml name is GPX", u"/data/trip.kml", TrackFormat::Gpx, u"/data"},
        {"a file at the root keeps the root", u"/trip.txt", TrackFormat::Nmea, u"/"},
        {"a Windows path", u"C:\\Users\\me\\trip.kml", TrackFormat::Kml, u"C:\\Users\\me"},
        {"a Windows drive root", u"C:\\trip.kml", TrackFormat::Kml, u"C:\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        GoTo(OutputPage);
        view->saveReplies.push_back({row.path, row.format});
        view->ClickPageControl(*wizard, IDC_BROWSE);
        view->ClickPageControl(*wizard, IDC_BROWSE); // cancelled
        EXPECT_EQ(view->saveRequests.back().format, row.format) << "offered again";
        EXPECT_EQ(narrow(view->saveRequests.back().path), narrow(row.path)) << "offered again";
        EXPECT_EQ(narrow(view->Text(IDC_OUTPUT_PATH)), narrow(row.path));
        wizard.reset();
        EXPECT_EQ(storedNumber(u"Nmea"), static_cast<uint32_t>(row.format)) << "saved";
        EXPECT_EQ(narrow(storedText(u"Path").value_or(u"")), narrow(row.folder)) << "saved";
    }
}

TEST_F(MainDlgTest, TheSaveDialogStartsFromTheLastChoice) {
    GoTo(OutputPage);
    const std::u16string documents = expectedDocumentsFolder();
    view->saveReplies.push_back({u"/data/trip.txt", TrackFormat::Nmea});
    view->ClickPageControl(*wizard, IDC_BROWSE);
    view->ClickPageControl(*wizard, IDC_BROWSE); // cancelled: nothing changes
    ASSERT_EQ(view->saveRequests.size(), 2u);
    EXPECT_EQ(narrow(view->saveRequests[0].path), "");
    EXPECT_EQ(narrow(view->saveRequests[0].initialFolder), narrow(documents))
        << "first: the folder";
    EXPECT_EQ(view->saveRequests[0].format, TrackFormat::Kml);
    EXPECT_EQ(narrow(view->saveRequests[1].path), "/data/trip.txt") << "then: the current choice";
    EXPECT_EQ(narrow(view->saveRequests[1].initialFolder), "");
    EXPECT_EQ(view->saveRequests[1].format, TrackFormat::Nmea);
    EXPECT_EQ(narrow(view->Text(IDC_OUTPUT_PATH)), "/data/trip.txt") << "the cancel kept the file";
    wizard.reset();
    EXPECT_EQ(storedNumber(u"Nmea"), 1u) << "and the format";
}

TEST_F(MainDlgTest, OutputOptionsAndTheCheckBoxSurviveARetry) {
    GoTo(OutputPage);
    view->saveReplies.push_back({u"/data/trip.kml", TrackFormat::Kml});
    view->ClickPageControl(*wizard, IDC_BROWSE);
    view->checked[IDC_ERASE_CHECK] = true;
    view->Click(*wizard, IDC_PREVIOUS);
    view->Report(*wizard, kReportFailed, kErrorStopped);
    view->Click(*wizard, IDC_NEXT);
    view->Report(*wizard, kReportDeviceFound, 0);
    EXPECT_EQ(view->ShownPage(), OutputPage);
    EXPECT_TRUE(view->IsControlEnabled(IDC_NEXT)) << "the file chosen before still counts";
    EXPECT_EQ(narrow(view->Text(IDC_OUTPUT_PATH)), "/data/trip.kml");
}

TEST_F(MainDlgTest, OpenFolderOpensTheOutputFolder) {
    GoTo(SuccessPage);
    view->ClickPageControl(*wizard, IDC_OPEN_FOLDER);
    ASSERT_EQ(view->openedFolders.size(), 1u);
    EXPECT_EQ(narrow(view->openedFolders[0]), "/tmp/out");
    EXPECT_FALSE(view->ended);
}

TEST_F(MainDlgTest, PageCommandsBypassTheOkCancelDefault) {
    Start();
    // The check box is not handled by the wizard, and a page's id 2 must not
    // end anything either.
    EXPECT_EQ(
        CTDlg::RoutePageCommand(wizard.get(), makeCommandParam(IDC_ERASE_CHECK, kBnClicked), 0), 0);
    EXPECT_EQ(CTDlg::RoutePageCommand(wizard.get(), makeCommandParam(kIdCancel, kBnClicked), 0), 1);
    EXPECT_EQ(CTDlg::RoutePageCommand(nullptr, makeCommandParam(IDC_NEXT, kBnClicked), 0), 1);
    EXPECT_FALSE(view->ended);
    // Another system command is not the close box.
    EXPECT_EQ(wizard->HandleMessage(view->frame, kWmSysCommand, kScClose + 1, 0), 0);
    EXPECT_FALSE(view->ended);
}

TEST_F(MainDlgTest, CaptionCarriesTheVersion) {
    struct Row {
        const char* name;
        std::u16string caption;
        bool available;
        const char* expected;
    };
    const Row rows[] = {
        {"version appended", u"ZOR7700Track", true, "ZOR7700Track - v1.2.3.4"},
        {"no version leaves the caption", u"ZOR7700Track", false, "ZOR7700Track"},
        {"a long caption is cut to 31 characters", u"0123456789012345678901234567890123456789",
         true, "0123456789012345678901234567890 - v1.2.3.4"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        view->caption = row.caption;
        view->versionAvailable = row.available;
        Start();
        EXPECT_EQ(narrow(view->caption), row.expected);
        wizard.reset();
    }
}

TEST_F(MainDlgTest, InitShowsTheWelcomePageWithNextFocused) {
    Start();
    EXPECT_TRUE(view->pagesCreated);
    EXPECT_EQ(view->ShownPage(), WelcomePage);
    EXPECT_EQ(view->focus, IDC_NEXT);
    EXPECT_EQ(wizard->HandleMessage(view->frame, kWmInitDialog, 0, 0), 0)
        << "focus placed by OnInit";
    EXPECT_EQ(wizard->hwnd, view->frame);
    EXPECT_EQ(wizard->templateId, IDD_MAIN);
}

TEST_F(MainDlgTest, SettingsAreLoadedAndSavedHoweverTheWizardEnds) {
    struct Row {
        const char* name;
        Act leave;
    };
    const Row rows[] = {
        {"Cancel", Act::Cancel}, {"close box", Act::CloseBox}, {"never ended", Act::Next}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        useFreshSettingsStore();
        Fresh();
        GoTo(OutputPage);
        view->saveReplies.push_back({u"/data/logs/trip.txt", TrackFormat::Nmea});
        view->ClickPageControl(*wizard, IDC_BROWSE);
        perform(*view, *wizard, {row.leave});
        wizard.reset();
        EXPECT_EQ(storedNumber(u"ComPort"), static_cast<uint32_t>(kAbsentPort));
        EXPECT_EQ(storedNumber(u"Nmea"), 1u);
        EXPECT_EQ(narrow(storedText(u"Path").value_or(u"")), "/data/logs");

        // The next session's save dialog starts from what was saved.
        Fresh();
        GoTo(OutputPage);
        view->ClickPageControl(*wizard, IDC_BROWSE);
        ASSERT_EQ(view->saveRequests.size(), 1u);
        EXPECT_EQ(view->saveRequests[0].format, TrackFormat::Nmea);
        EXPECT_EQ(narrow(view->saveRequests[0].initialFolder), "/data/logs");
        EXPECT_EQ(narrow(view->saveRequests[0].path), "") << "the file itself is not remembered";
        wizard.reset();
    }
}

TEST_F(MainDlgTest, RunWizardReturnsZeroAndSaves) {
    EXPECT_EQ(RunWizard(*view), 0);
    EXPECT_TRUE(settingsStoreHasValues());
}

} // namespace
