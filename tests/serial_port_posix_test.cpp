#include "device/serial_port.h"

#include "device/rfcomm_connect_posix.h"
#include "device/uucp_lock_posix.h"
#include "device/worker_platform.h"
#include "support/pseudo_terminal_posix.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int32_t kPort = 7;
constexpr int32_t kBluetoothPort = 140;
constexpr char kAddress[] = "00:11:22:33:44:55";

std::string pidText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

// A process id that no process has any more.
pid_t endedPid() {
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// The paired logger's socket comes from a socket pair instead of the radio.
class BluetoothStandIn {
public:
    explicit BluetoothStandIn(RfcommConnector connector) {
        setRfcommConnectorForTests(std::move(connector));
    }
    ~BluetoothStandIn() { setRfcommConnectorForTests({}); }
};

enum class Transport { Serial, Bluetooth };

// The link behaves the same over a serial device and over a paired logger's
// socket, whichever the COM number names.
class SerialLink : public ::testing::TestWithParam<Transport> {
protected:
    void SetUp() override {
        ASSERT_TRUE(device->isOpen());
        ASSERT_TRUE(GetParam() == Transport::Serial
                        ? ports.link(kPort, pty.slavePath())
                        : ports.pairBluetooth(kBluetoothPort, kAddress));
        ASSERT_TRUE(port.open(number)) << lastPortOpenFailure();
    }

    // Reads until `count` bytes came or a second has passed.
    std::string readAtLeast(size_t count) {
        std::string got;
        uint32_t start = tickCount();
        std::array<uint8_t, 4096> buffer;
        while (got.size() < count && tickCount() - start < 1000) {
            uint32_t n = 0;
            if (!port.read(buffer.data(), buffer.size(), n))
                break;
            got.append(reinterpret_cast<char*>(buffer.data()), n);
            if (n == 0)
                sleepMs(5);
        }
        return got;
    }

    PseudoTerminal pty;
    SocketPairLine sockets;
    DeviceLine* device =
        GetParam() == Transport::Serial ? static_cast<DeviceLine*>(&pty) : &sockets;
    int32_t number = GetParam() == Transport::Serial ? kPort : kBluetoothPort;
    BluetoothStandIn radio{[this](const std::string& address, int32_t channel) {
        errno = ENOENT;
        return address == kAddress && channel == 1 ? sockets.connect() : -1;
    }};
    PrivatePortFolder ports;
    PrivateLockFolder locks;
    SerialPort port;
};

INSTANTIATE_TEST_SUITE_P(Transports, SerialLink,
                         ::testing::Values(Transport::Serial, Transport::Bluetooth),
                         [](const ::testing::TestParamInfo<Transport>& info) {
                             return info.param == Transport::Serial ? "SerialDevice"
                                                                    : "BluetoothSocket";
                         });

} // namespace

TEST_P(SerialLink, ReadReturnsAtOnceWhenNothingArrived) {
    std::array<uint8_t, 4096> buffer;
    uint32_t n = 99;
    uint32_t start = tickCount();
    EXPECT_TRUE(port.read(buffer.data(), buffer.size(), n));
    EXPECT_EQ(n, 0u);
    EXPECT_LT(tickCount() - start, 20u);
}

TEST_P(SerialLink, ReadHandsOverAtMostTheCapacity) {
    std::string sent(5000, 'x');
    for (size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>('A' + i % 26);
    ASSERT_TRUE(device->send(sent));
    sleepMs(100);
    std::array<uint8_t, 4096> buffer;
    uint32_t n = 0;
    ASSERT_TRUE(port.read(buffer.data(), buffer.size(), n));
    EXPECT_EQ(n, 4096u);
    EXPECT_TRUE(std::string(reinterpret_cast<char*>(buffer.data()), n) == sent.substr(0, 4096))
        << "the first read must hold the first 4096 bytes in order";
    std::string rest = readAtLeast(904);
    EXPECT_EQ(rest.size(), 904u);
    EXPECT_TRUE(rest == sent.substr(4096)) << "the rest must follow unchanged";
}

TEST_P(SerialLink, BytesPassUnchangedBothWays) {
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    ASSERT_TRUE(device->send(everyByte));
    EXPECT_EQ(readAtLeast(256), everyByte);
    ASSERT_TRUE(port.write(everyByte.data(), static_cast<uint32_t>(everyByte.size())));
    EXPECT_EQ(device->receive(1000, everyByte.substr(250)), everyByte);
}

TEST_P(SerialLink, PurgeDropsWhatArrivedBefore) {
    ASSERT_TRUE(device->send("$OLD,1*00\r\n"));
    sleepMs(50);
    port.purgeReceive();
    ASSERT_TRUE(device->send("$NEW"));
    EXPECT_EQ(readAtLeast(4), "$NEW");
}

TEST_P(SerialLink, SecondOpenOfTheSamePortFails) {
    SerialPort second;
    EXPECT_FALSE(second.open(number));
    EXPECT_FALSE(second.isOpen());
    port.close();
    EXPECT_TRUE(second.open(number)) << "the port is free again once closed";
}

TEST_P(SerialLink, HangUpFailsReadsAndWrites) {
    ASSERT_TRUE(device->send("last"));
    EXPECT_EQ(readAtLeast(4), "last");
    device->hangUp();
    std::array<uint8_t, 64> buffer;
    uint32_t n = 0;
    EXPECT_FALSE(port.read(buffer.data(), buffer.size(), n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(port.write("$PZOR,V*2A\r\n", 12));
    EXPECT_TRUE(port.isOpen()) << "a failed link stays open until closed";
}

TEST_P(SerialLink, WriteGivesUpWhenTheLineNeverDrains) {
    // Nobody reads the device side: the pty buffer fills and the write must
    // give up after 1000 ms + 10 ms per byte instead of hanging.
    std::string block(64, 'z');
    uint32_t start = tickCount();
    bool allWritten = true;
    while (allWritten && tickCount() - start < 20000) {
        allWritten = port.write(block.data(), static_cast<uint32_t>(block.size()));
    }
    ASSERT_FALSE(allWritten) << "the pseudo-terminal never filled";
    // The kernel may still pass a little of what was queued on to the other
    // side and so make room for a short write or two; the line is full again
    // once a write fails.
    uint32_t took = 0;
    bool written = true;
    for (int attempt = 0; attempt < 100 && written; ++attempt) {
        const uint32_t writeStart = tickCount();
        written = port.write(block.data(), 12);
        took = tickCount() - writeStart;
    }
    EXPECT_FALSE(written);
    EXPECT_GE(took, 1100u);
    EXPECT_LT(took, 3000u);
}

TEST(SerialPortOpen, LineIsRaw57600WithoutFlowControl) {
    PseudoTerminal device;
    PrivatePortFolder ports;
    PrivateLockFolder locks;
    SerialPort port;
    ASSERT_TRUE(ports.link(kPort, device.slavePath()));
    ASSERT_TRUE(port.open(kPort));
    int fd = ::open(device.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios settings{};
    ASSERT_EQ(tcgetattr(fd, &settings), 0);
    ::close(fd);
    EXPECT_EQ(cfgetispeed(&settings), B57600);
    EXPECT_EQ(cfgetospeed(&settings), B57600);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
}

TEST(SerialPortOpen, NumbersThatNameNothingFail) {
    PrivatePortFolder ports;
    std::string missing = ports.configHome() + "/missing-device";
    ASSERT_TRUE(ports.link(3, missing));
    struct Case {
        const char* name;
        int32_t number;
        std::string why;
    } cases[] = {
        {"a dangling user link", 3, "no such device: " + missing + " (linked as "},
        {"a negative number", -1, "COM-1 names no serial device"},
        {"a number above 255", 300, "COM300 names no serial device"},
        {"a free number beyond the blocks", 250, "COM250 names no serial device"},
    };
    for (const Case& c : cases) {
        SerialPort port;
        EXPECT_FALSE(port.open(c.number)) << c.name;
        EXPECT_FALSE(port.isOpen()) << c.name;
        EXPECT_EQ(lastPortOpenFailure().rfind(c.why, 0), 0u)
            << c.name << ": " << lastPortOpenFailure();
    }
}

TEST(SerialPortOpen, OtherUsersAreHonouredAndStaleLocksReplaced) {
    PseudoTerminal device;
    PrivatePortFolder ports;
    PrivateLockFolder locks;
    ASSERT_TRUE(ports.link(kPort, device.slavePath()));
    // Named as other serial programs name it: /dev/pts/3 is pts_3.
    std::string lockFile = locks.path().string() + "/LCK..pts_" + device.slavePath().substr(9);
    struct Row {
        const char* name;
        std::string lockContent; // what another program left, if anything
        bool deviceLocked;       // another descriptor holds the device's flock
        std::string refusal;     // empty: the open succeeds
    } rows[] = {
        {"no lock: ours is taken", "", false, ""},
        {"a live process's lock refuses the open", pidText(getppid()), false,
         "is in use by process " + std::to_string(getppid())},
        {"a lock whose process ended is replaced", pidText(endedPid()), false, ""},
        {"a lock that names no process is replaced", "modem\n", false, ""},
        {"a flock on the device refuses the open", "", true,
         "is in use by process " + std::to_string(getpid())},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.lockContent.empty())
            std::ofstream(lockFile) << row.lockContent;
        int holder = row.deviceLocked ? ::open(device.slavePath().c_str(), O_RDWR | O_NOCTTY) : -1;
        ASSERT_TRUE(!row.deviceLocked || flock(holder, LOCK_EX | LOCK_NB) == 0);
        SerialPort port;
        ASSERT_EQ(row.refusal.empty(), port.open(kPort)) << lastPortOpenFailure();
        if (row.refusal.empty()) {
            EXPECT_EQ(readFile(lockFile), pidText(getpid())) << "ours holds our id";
            port.close();
            EXPECT_EQ(access(lockFile.c_str(), F_OK), -1) << "released on close";
        } else {
            EXPECT_EQ(lastPortOpenFailure().rfind(device.slavePath() + " " + row.refusal, 0), 0u)
                << lastPortOpenFailure();
            EXPECT_EQ(readFile(lockFile), row.lockContent) << "another's lock stays as it was";
        }
        int exclusive = 0;
        EXPECT_TRUE(holder < 0 || (ioctl(holder, TIOCGEXCL, &exclusive) == 0 && exclusive == 0))
            << "a refused open leaves the holder's terminal as it was";
        if (holder >= 0)
            ::close(holder);
        std::remove(lockFile.c_str());
    }
}

// Root may open anything, so the open runs as nobody in a child process.
TEST(SerialPortOpen, PermissionDeniedNamesTheGroupToJoin) {
    const group* dialout = getgrnam("dialout");
    if (getuid() != 0 || dialout == nullptr)
        GTEST_SKIP() << "needs root (to hand a device to dialout and become nobody) and dialout";
    PrivatePortFolder ports;
    PrivateLockFolder locks; // nobody cannot write it: the open goes on without a lock
    std::string device = ports.configHome() + "/device";
    std::ofstream(device) << "x";
    ASSERT_EQ(chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(device.c_str(), 0660), 0);
    ASSERT_EQ(chmod(ports.configHome().c_str(), 0755), 0);
    ASSERT_TRUE(ports.link(kPort, device));
    int result[2];
    ASSERT_EQ(pipe(result), 0);
    pid_t child = fork();
    if (child == 0) {
        SerialPort port;
        bool nobody = setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
        std::string why = nobody && !port.open(kPort) ? lastPortOpenFailure() : "opened";
        _exit(write(result[1], why.data(), why.size()) < 0);
    }
    ::close(result[1]);
    char text[512] = {};
    ssize_t got = ::read(result[0], text, sizeof text - 1);
    ::close(result[0]);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(std::string(text, got > 0 ? got : 0),
              "permission denied on " + device +
                  ": join the group dialout (sudo usermod -aG dialout $USER), then log in again");
}

TEST(SerialPortOpen, NumbersAboveNineOpenTheSameWay) {
    PseudoTerminal device;
    PrivatePortFolder ports;
    PrivateLockFolder locks;
    ASSERT_TRUE(ports.link(12, device.slavePath()));
    SerialPort port;
    EXPECT_TRUE(port.open(12));
}

TEST(SerialPortOpen, ABluetoothPortSaysWhyItDidNotConnect) {
    PrivatePortFolder ports;
    PrivateLockFolder locks;
    ASSERT_TRUE(ports.pairBluetooth(kBluetoothPort, kAddress));
    const std::string logger = std::string("Bluetooth ") + kAddress;
    const std::string lockFile = locks.path().string() + "/LCK.." + kAddress;
    struct Row {
        const char* name;
        int error;            // what the connect fails with
        std::string lockedBy; // another program's lock file, if any
        std::string why;
    } rows[] = {
        {"switched off or out of reach: no page answer", EHOSTDOWN, "",
         logger + " does not answer: the logger is switched off or out of range"},
        {"no adapter switched on", EHOSTUNREACH, "",
         "cannot reach " + logger + ": the Bluetooth adapter is off (switch Bluetooth on)"},
        {"no Bluetooth in the kernel", EAFNOSUPPORT, "",
         "cannot reach " + logger + ": this system has no Bluetooth serial port support"},
        {"connection refused", ECONNREFUSED, "", logger + " refused the connection on channel 1"},
        {"anything else in the system's words", EIO, "",
         "cannot connect to " + logger + ": Input/output error"},
        {"a live process's lock refuses it before connecting", 0, pidText(getppid()),
         logger + " is in use by process " + std::to_string(getppid())},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int attempts = 0;
        BluetoothStandIn radio([&](const std::string&, int32_t) {
            ++attempts;
            errno = row.error;
            return -1;
        });
        if (!row.lockedBy.empty())
            std::ofstream(lockFile) << row.lockedBy;
        SerialPort port;
        EXPECT_FALSE(port.open(kBluetoothPort));
        EXPECT_EQ(0u, lastPortOpenFailure().rfind(row.why, 0)) << lastPortOpenFailure();
        EXPECT_EQ(row.lockedBy.empty() ? 1 : 0, attempts);
        EXPECT_EQ(row.lockedBy, readFile(lockFile)) << "ours is given back, another's stays";
        std::remove(lockFile.c_str());
    }
}
