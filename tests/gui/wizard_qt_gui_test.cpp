// The real Qt window against the simulated device, driven with keyboard and
// mouse events as a person would use it.
#include "app/main_dlg.h"
#include "app/wizard_view_qt.h"
#include "gui_driver.h"
#include "resources/resource_ids.h"
#include "version.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kStepTimeoutMs = 30000;
constexpr const char16_t* kLeaveQuestion =
    u"Log-Data is currently read from the device.\nExit anyway?";
constexpr const char16_t* kPowerCycleText =
    u"Please Power-Cycle your device to resume normal operation.";

const char* const kPageNames[] = {"welcome",  "port",    "connecting", "output",
                                  "transfer", "success", "error"};

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The simulated device on a pseudo-terminal, registered as a user COM port
// in the test's private configuration folder.
class Simulator {
public:
    bool start(const QStringList& arguments, const QString& reportPath) {
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(ZOR_SIM_PATH),
                      QStringList(arguments) << QStringLiteral("--report") << reportPath);
        if (!process.waitForStarted(5000)) {
            return false;
        }
        // It prints "COMn device" once the port is registered.
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(5000)) {
                return false;
            }
        }
        const QString line = QString::fromUtf8(process.readLine()).trimmed();
        portNumber = line.section(QLatin1Char(' '), 0, 0).mid(3).toInt();
        return line.startsWith(QStringLiteral("COM"));
    }
    void stop() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(5000);
        }
    }
    ~Simulator() { stop(); }

    QProcess process;
    int portNumber = -1;
};

class WizardQtGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
        qputenv("HOME", home.path().toUtf8());
        QDir().mkpath(home.filePath(QStringLiteral("config/ZOR/ports")));
        QDir().mkpath(home.filePath(QStringLiteral("out")));
        view = std::make_unique<QtWizardView>();
    }

    QString out(const QString& name) const { return home.filePath(QStringLiteral("out/") + name); }
    QString reportPath() const { return home.filePath(QStringLiteral("commands.txt")); }
    QString settingsText() const {
        return readAll(home.filePath(QStringLiteral("config/ZOR/ZOR7700Track.conf")));
    }

    // Runs the wizard until it ends; the driver plays the session meanwhile.
    void play() {
        // A step that never comes true ends the session at once.
        driver.onTimeout([this] {
            closeDialogs();
            if (view->Frame().isRunning()) {
                view->Frame().endModal(-1);
            }
        });
        driver.start();
        QTimer::singleShot(0, [this] { abortTimer(); });
        RunWizard(*view);
        EXPECT_EQ(driver.failedStep().toStdString(), "") << "the session got stuck there";
        EXPECT_TRUE(driver.finished()) << "the wizard ended before the session was played";
    }

    // Gets every dialog above the wizard out of the way so it can be ended.
    void closeDialogs() {
        while (QWidget* modal = QApplication::activeModalWidget()) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (dialog == nullptr || modal == &view->Frame()) {
                break;
            }
            dialog->done(0);
        }
    }

    // A last resort so a stuck session ends the test instead of hanging it.
    void abortTimer() {
        guard.setSingleShot(true);
        guard.callOnTimeout([this] {
            if (view->Frame().isRunning()) {
                ADD_FAILURE() << "the wizard did not end";
                closeDialogs();
                view->Frame().endModal(-1);
            }
        });
        guard.start(kStepTimeoutMs * 4);
    }

    bool pageShown(int page) const {
        return view->Page(page) != nullptr && view->Page(page)->isVisible();
    }
    template <class T> T* control(int id) const { return qobject_cast<T*>(view->Control(id)); }
    void click(int id) { QTest::mouseClick(control<QAbstractButton>(id), Qt::LeftButton); }
    // A key as the keyboard delivers it: to the open list if there is one,
    // else to the control with the window's focus.
    void press(int key) {
        QWidget* popup = QApplication::activePopupWidget();
        QWidget* target = popup ? popup->focusWidget() : view->Frame().focusWidget();
        QTest::keyClick(target ? target : &view->Frame(), static_cast<Qt::Key>(key));
    }
    void expectFocus(int id, const char* where) {
        QWidget* focused = view->Frame().focusWidget();
        EXPECT_EQ(focused, view->Control(id))
            << where << ": focus on " << (focused ? qPrintable(focused->objectName()) : "none");
        EXPECT_TRUE(focused && focused->isEnabled() && focused->isVisible()) << where;
    }

    // Steps shared by the sessions.
    void waitFor(int page, const QString& what, std::function<void()> act) {
        driver.add(
            what,
            [this, page] {
                return pageShown(page) && QApplication::activeModalWidget() == &view->Frame();
            },
            std::move(act));
    }
    void screenshot(int page) {
        const QString dir = QStringLiteral(ZOR_SCREENSHOT_DIR);
        QDir().mkpath(dir);
        view->Frame().grab().save(
            dir + QStringLiteral("/linux-%1-%2.png").arg(page).arg(kPageNames[page]));
    }
    // By keys only: F4 opens the list, Down walks to the port, Enter takes it.
    void choosePort(int portNumber) {
        auto* combo = control<QComboBox>(IDC_PORT_COMBO);
        const int position = combo->findData(QVariant::fromValue<qlonglong>(portNumber));
        ASSERT_GT(position, 0);
        press(Qt::Key_F4);
        ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "F4 opens the list";
        for (int i = 0; i < position; ++i) {
            press(Qt::Key_Down);
        }
        press(Qt::Key_Return);
        EXPECT_EQ(combo->currentData().toLongLong(), portNumber);
        expectFocus(IDC_PORT_COMBO, "port chosen");
    }
    void expectDialog(const QString& what, std::function<void(QWidget*)> act) {
        driver.add(
            what,
            [this] {
                QWidget* modal = QApplication::activeModalWidget();
                return modal != nullptr && modal != &view->Frame();
            },
            [act] { act(QApplication::activeModalWidget()); });
    }
    void saveAs(const QString& path, int filterIndex) {
        expectDialog(QStringLiteral("save dialog"), [path, filterIndex](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(types, nullptr);
            ASSERT_NE(name, nullptr);
            types->setFocus();
            while (types->currentIndex() < filterIndex - 1) {
                QTest::keyClick(types, Qt::Key_Down);
            }
            name->setFocus();
            QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(name, path);
            // The path completer may have popped up a list meanwhile; Return
            // would pick from it instead of saving, so dismiss it first.
            if (QCompleter* completer = name->completer();
                completer && completer->popup()->isVisible()) {
                QTest::keyClick(completer->popup(), Qt::Key_Escape);
            }
            QTest::keyClick(name, Qt::Key_Return);
        });
    }
    void answer(const QString& expectedText, QMessageBox::StandardButton button) {
        expectDialog(QStringLiteral("message: ") + expectedText,
                     [expectedText, button](QWidget* modal) {
                         auto* box = qobject_cast<QMessageBox*>(modal);
                         ASSERT_NE(box, nullptr);
                         EXPECT_EQ(box->windowTitle().toStdString(), "ZOR7700Track");
                         EXPECT_EQ(box->text().toStdString(), expectedText.toStdString());
                         QTest::mouseClick(box->button(button), Qt::LeftButton);
                     });
    }

    // Welcome -> port page -> the simulator's port -> Next.
    void connectTo(int portNumber, bool shoot) {
        waitFor(WelcomePage, QStringLiteral("welcome page"), [this, shoot] {
            EXPECT_EQ(view->Frame().windowTitle().toStdString(),
                      "ZOR7700Track - v" ZOR_VERSION_TEXT);
            if (shoot)
                screenshot(WelcomePage);
            // Escape ends nothing; Next is the default button, so Enter goes on.
            expectFocus(IDC_NEXT, "welcome page");
            press(Qt::Key_Escape);
            EXPECT_TRUE(view->Frame().isVisible());
            press(Qt::Key_Return);
        });
        // A first run: the keyboard alone chooses the port and goes on.
        waitFor(PortPage, QStringLiteral("port page"), [this, portNumber, shoot] {
            EXPECT_FALSE(control<QPushButton>(IDC_NEXT)->isEnabled()) << "no port chosen yet";
            expectFocus(IDC_PORT_COMBO, "port page");
            choosePort(portNumber);
            EXPECT_TRUE(control<QPushButton>(IDC_NEXT)->isEnabled());
            if (shoot)
                screenshot(PortPage);
            press(Qt::Key_Return);
            // Shown until the device answers, which the event loop delivers
            // only after this step: the one moment sure to catch the page.
            EXPECT_TRUE(pageShown(ConnectingPage));
            EXPECT_FALSE(control<QPushButton>(IDC_PREVIOUS)->isEnabled());
            expectFocus(IDC_CANCEL, "connecting page");
            press(Qt::Key_Up);
            EXPECT_EQ(control<QComboBox>(IDC_PORT_COMBO)->currentData().toLongLong(), portNumber)
                << "the hidden port list took no key";
            if (shoot)
                screenshot(ConnectingPage);
        });
    }

    // The transfer page once its bar has reached `percent`.
    void whenTransferAt(int percent, const QString& what, std::function<void()> act) {
        driver.add(
            what,
            [this, percent] {
                return pageShown(TransferPage) &&
                       control<QWidget>(IDC_TRANSFER_PROGRESS)->property("value").toInt() >=
                           percent;
            },
            std::move(act));
    }
    // Output page: `file` chosen as KML, the erase box ticked, Next.
    void startErasingTransfer(const QString& file) {
        waitFor(OutputPage, QStringLiteral("output page"), [this] { click(IDC_BROWSE); });
        saveAs(out(file), 1);
        waitFor(OutputPage, QStringLiteral("file chosen"), [this] {
            click(IDC_ERASE_CHECK);
            click(IDC_NEXT);
        });
    }

    QTemporaryDir home;
    std::unique_ptr<QtWizardView> view;
    GuiDriver driver{kStepTimeoutMs};
    QTimer guard;
};

TEST_F(WizardQtGuiTest, KmlTransferWithErase) {
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--fast")}, reportPath()));
    connectTo(sim.portNumber, true);
    waitFor(OutputPage, QStringLiteral("output page"), [this] {
        EXPECT_FALSE(control<QPushButton>(IDC_NEXT)->isEnabled()) << "no file chosen yet";
        expectFocus(IDC_BROWSE, "output page");
        click(IDC_BROWSE);
    });
    saveAs(out(QStringLiteral("trip")), 1);
    waitFor(OutputPage, QStringLiteral("file chosen"), [this] {
        EXPECT_EQ(control<QLineEdit>(IDC_OUTPUT_PATH)->text().toStdString(),
                  out(QStringLiteral("trip.kml")).toStdString());
        click(IDC_ERASE_CHECK);
        screenshot(OutputPage);
        click(IDC_NEXT);
    });
    waitFor(SuccessPage, QStringLiteral("success page"), [this] {
        EXPECT_EQ(control<QLabel>(IDC_SUCCESS_HEADING)->text().toStdString(),
                  "Output file successfully created.\n\nDevice memory erased.");
        EXPECT_EQ(control<QPushButton>(IDC_NEXT)->text().toStdString(), "&Finish");
        EXPECT_FALSE(control<QPushButton>(IDC_CANCEL)->isEnabled());
        expectFocus(IDC_NEXT, "success page");
        screenshot(SuccessPage);
        press(Qt::Key_Return);
    });
    play();
    sim.stop();

    const QString kml = readAll(out(QStringLiteral("trip.kml")));
    EXPECT_TRUE(kml.startsWith(QStringLiteral("<?xml"))) << kml.left(200).toStdString();
    EXPECT_TRUE(kml.contains(QStringLiteral("<LineString>"))) << "a track was written";
    const QString commands = readAll(reportPath());
    EXPECT_TRUE(commands.contains(QStringLiteral("$PZOR,V"))) << commands.toStdString();
    EXPECT_TRUE(commands.contains(QStringLiteral("$PZOR,R"))) << commands.toStdString();
    EXPECT_TRUE(commands.contains(QStringLiteral("$PZOR,C")))
        << "erased on request: " << commands.toStdString();
    const QString settings = settingsText();
    EXPECT_TRUE(settings.contains(QString::number(sim.portNumber))) << settings.toStdString();
    EXPECT_TRUE(settings.contains(home.filePath(QStringLiteral("out")))) << settings.toStdString();
}

TEST_F(WizardQtGuiTest, NmeaChosenByTheFileType) {
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--fast")}, reportPath()));
    connectTo(sim.portNumber, false);
    waitFor(OutputPage, QStringLiteral("output page"), [this] {
        // "..." is the page's default button: Enter opens the save dialog,
        // also when the focus is elsewhere on the page.
        control<QCheckBox>(IDC_ERASE_CHECK)->setFocus();
        EXPECT_TRUE(control<QPushButton>(IDC_BROWSE)->isDefault());
        QTest::keyClick(control<QCheckBox>(IDC_ERASE_CHECK), Qt::Key_Return);
    });
    // The NMEA type with a name that carries no suffix: the name gets the
    // type's suffix.
    saveAs(out(QStringLiteral("nmea-track")), 2);
    waitFor(OutputPage, QStringLiteral("file chosen"), [this] {
        EXPECT_EQ(control<QLineEdit>(IDC_OUTPUT_PATH)->text().toStdString(),
                  out(QStringLiteral("nmea-track.txt")).toStdString());
        // With a file chosen the focus is on Next, so Enter goes on.
        expectFocus(IDC_NEXT, "file chosen");
        press(Qt::Key_Return);
    });
    waitFor(SuccessPage, QStringLiteral("success page"), [this] {
        EXPECT_EQ(control<QLabel>(IDC_SUCCESS_HEADING)->text().toStdString(),
                  "Output file successfully created.");
        // The close box ends the wizard here without a question.
        view->Frame().close();
    });
    play();
    sim.stop();

    const QString nmea = readAll(out(QStringLiteral("nmea-track.txt")));
    EXPECT_TRUE(nmea.startsWith(QStringLiteral("$GPGGA,"))) << nmea.left(200).toStdString();
    EXPECT_TRUE(nmea.contains(QStringLiteral("$GPRMC,")));
    EXPECT_FALSE(readAll(reportPath()).contains(QStringLiteral("$PZOR,C")))
        << "not erased unless asked";
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Nmea"))) << settingsText().toStdString();
}

TEST_F(WizardQtGuiTest, GpxChosenByTheFileTypeAfterAReadOnlyFileIsRefused) {
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--fast")}, reportPath()));
    const QString locked = out(QStringLiteral("locked.gpx"));
    QFile(locked).open(QIODevice::WriteOnly);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    connectTo(sim.portNumber, false);
    waitFor(OutputPage, QStringLiteral("output page"), [this] { click(IDC_BROWSE); });
    // Refused inside the dialog, which stays open for another name.
    saveAs(out(QStringLiteral("locked")), 3);
    answer(locked + QStringLiteral("\nThis file or its folder is read-only.\n"
                                   "Try again with a different file name."),
           QMessageBox::Ok);
    saveAs(out(QStringLiteral("trip")), 3);
    waitFor(OutputPage, QStringLiteral("file chosen"), [this] {
        EXPECT_EQ(control<QLineEdit>(IDC_OUTPUT_PATH)->text().toStdString(),
                  out(QStringLiteral("trip.gpx")).toStdString());
        click(IDC_NEXT);
    });
    waitFor(SuccessPage, QStringLiteral("success page"), [this] { click(IDC_NEXT); });
    play();
    sim.stop();

    const QString gpx = readAll(out(QStringLiteral("trip.gpx")));
    EXPECT_TRUE(gpx.contains(QStringLiteral("<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"")))
        << gpx.left(200).toStdString();
    EXPECT_TRUE(gpx.contains(QStringLiteral("<trkpt ")));
    EXPECT_TRUE(readAll(locked).isEmpty());
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Nmea=2"))) << settingsText().toStdString();
}

TEST_F(WizardQtGuiTest, NoDeviceThenRetry) {
    auto silent = std::make_unique<Simulator>();
    ASSERT_TRUE(silent->start({QStringLiteral("--fast"), QStringLiteral("--reply"),
                               QStringLiteral("none"), QStringLiteral("--no-chatter")},
                              reportPath()));
    const int port = silent->portNumber;
    Simulator awake;
    connectTo(port, false);
    waitFor(ErrorPage, QStringLiteral("error page"), [this, &silent, &awake, port] {
        EXPECT_EQ(control<QLabel>(IDC_ERROR_TEXT)->text().toStdString(),
                  "No ZOR 7700 device detected.");
        EXPECT_FALSE(control<QPushButton>(IDC_NEXT)->isEnabled());
        expectFocus(IDC_PREVIOUS, "error page");
        screenshot(ErrorPage);
        // The user switches the device on: a device that answers, same port.
        silent.reset();
        ASSERT_TRUE(
            awake.start({QStringLiteral("--fast"), QStringLiteral("--port"), QString::number(port)},
                        home.filePath(QStringLiteral("commands-2.txt"))));
        press(Qt::Key_Space);
    });
    waitFor(PortPage, QStringLiteral("back on the port page"), [this, port] {
        EXPECT_EQ(control<QComboBox>(IDC_PORT_COMBO)->currentData().toLongLong(), port)
            << "the port stays chosen";
        EXPECT_TRUE(control<QPushButton>(IDC_NEXT)->isEnabled());
        expectFocus(IDC_NEXT, "port page after the error");
        press(Qt::Key_Return);
    });
    waitFor(OutputPage, QStringLiteral("output page on retry"), [this] { click(IDC_CANCEL); });
    play();
    EXPECT_TRUE(readAll(home.filePath(QStringLiteral("commands-2.txt")))
                    .contains(QStringLiteral("$PZOR,V")));
}

TEST_F(WizardQtGuiTest, CancelDuringTheTransferAsksFirst) {
    Simulator sim;
    // Paced at the real line speed, 400 lines last about 15 s: long enough
    // for both answers once a tenth has arrived.
    ASSERT_TRUE(sim.start({QStringLiteral("--generate"), QStringLiteral("2400")}, reportPath()));
    connectTo(sim.portNumber, false);
    startErasingTransfer(QStringLiteral("cancelled.kml"));
    whenTransferAt(10, QStringLiteral("transfer under way"), [this] {
        screenshot(TransferPage);
        expectFocus(IDC_CANCEL, "transfer page");
        press(Qt::Key_Space);
    });
    answer(QString::fromUtf16(kLeaveQuestion), QMessageBox::No);
    waitFor(TransferPage, QStringLiteral("still transferring"), [this] { click(IDC_CANCEL); });
    answer(QString::fromUtf16(kLeaveQuestion), QMessageBox::Yes);
    answer(QString::fromUtf16(kPowerCycleText), QMessageBox::Ok);
    play();
    sim.stop();
    EXPECT_FALSE(view->Frame().isRunning());
    EXPECT_FALSE(readAll(reportPath()).contains(QStringLiteral("$PZOR,C")))
        << "never erased when cancelled";
}

TEST_F(WizardQtGuiTest, LeavingDuringThePauseKeepsTheMemory) {
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--fast")}, reportPath()));
    connectTo(sim.portNumber, false);
    startErasingTransfer(QStringLiteral("erased.kml"));
    // The whole log is read; the worker now pauses before it erases.
    whenTransferAt(100, QStringLiteral("log read"), [this] { click(IDC_CANCEL); });
    answer(QString::fromUtf16(kLeaveQuestion), QMessageBox::Yes);
    answer(QString::fromUtf16(kPowerCycleText), QMessageBox::Ok);
    play();
    // Past the end of the pause: the stop held the erase back for good.
    QTest::qWait(5500);
    EXPECT_FALSE(readAll(reportPath()).contains(QStringLiteral("$PZOR,C")))
        << readAll(reportPath()).toStdString();
    EXPECT_TRUE(readAll(out(QStringLiteral("erased.kml"))).contains(QStringLiteral("</kml>")));
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
