#include "device/serial_port.h"

#include "device/worker_platform.h"
#include "support/pseudo_terminal_posix.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include <termios.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int32_t kPort = 7;

class SerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.isOpen());
        ASSERT_TRUE(ports.link(kPort, device.slavePath()));
        ASSERT_TRUE(port.open(kPort));
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

    PseudoTerminal device;
    PrivatePortFolder ports;
    SerialPort port;
};

} // namespace

TEST_F(SerialPortOnPty, ReadReturnsAtOnceWhenNothingArrived) {
    std::array<uint8_t, 4096> buffer;
    uint32_t n = 99;
    uint32_t start = tickCount();
    EXPECT_TRUE(port.read(buffer.data(), buffer.size(), n));
    EXPECT_EQ(n, 0u);
    EXPECT_LT(tickCount() - start, 20u);
}

TEST_F(SerialPortOnPty, ReadHandsOverAtMostTheCapacity) {
    std::string sent(5000, 'x');
    for (size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>('A' + i % 26);
    ASSERT_TRUE(device.send(sent));
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

TEST_F(SerialPortOnPty, BytesPassUnchangedBothWays) {
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    ASSERT_TRUE(device.send(everyByte));
    EXPECT_EQ(readAtLeast(256), everyByte);
    ASSERT_TRUE(port.write(everyByte.data(), static_cast<uint32_t>(everyByte.size())));
    EXPECT_EQ(device.receive(1000, everyByte.substr(250)), everyByte);
}

TEST_F(SerialPortOnPty, PurgeDropsWhatArrivedBefore) {
    ASSERT_TRUE(device.send("$OLD,1*00\r\n"));
    sleepMs(50);
    port.purgeReceive();
    ASSERT_TRUE(device.send("$NEW"));
    EXPECT_EQ(readAtLeast(4), "$NEW");
}

TEST_F(SerialPortOnPty, LineIsRaw57600WithoutFlowControl) {
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

TEST_F(SerialPortOnPty, SecondOpenOfTheSamePortFails) {
    SerialPort second;
    EXPECT_FALSE(second.open(kPort));
    EXPECT_FALSE(second.isOpen());
    port.close();
    EXPECT_TRUE(second.open(kPort)) << "the port is free again once closed";
}

TEST_F(SerialPortOnPty, HangUpFailsReadsAndWrites) {
    ASSERT_TRUE(device.send("last"));
    EXPECT_EQ(readAtLeast(4), "last");
    device.hangUp();
    std::array<uint8_t, 64> buffer;
    uint32_t n = 0;
    EXPECT_FALSE(port.read(buffer.data(), buffer.size(), n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(port.write("$PZOR,V*2A\r\n", 12));
    EXPECT_TRUE(port.isOpen()) << "a failed link stays open until closed";
}

TEST_F(SerialPortOnPty, WriteGivesUpWhenTheLineNeverDrains) {
    // Nobody reads the device side: the pty buffer fills and the write must
    // give up after 1000 ms + 10 ms per byte instead of hanging.
    std::string block(64, 'z');
    uint32_t start = tickCount();
    bool allWritten = true;
    while (allWritten && tickCount() - start < 20000) {
        allWritten = port.write(block.data(), static_cast<uint32_t>(block.size()));
    }
    ASSERT_FALSE(allWritten) << "the pseudo-terminal never filled";
    uint32_t lastStart = tickCount();
    EXPECT_FALSE(port.write(block.data(), 12));
    uint32_t took = tickCount() - lastStart;
    EXPECT_GE(took, 1100u);
    EXPECT_LT(took, 3000u);
}

TEST(SerialPortOpen, NumbersThatNameNothingFail) {
    PrivatePortFolder ports;
    ASSERT_TRUE(ports.link(3, ports.configHome() + "/missing-device"));
    struct Case {
        const char* name;
        int32_t number;
    } cases[] = {
        {"a dangling user link", 3},
        {"a negative number", -1},
        {"a number above 255", 300},
        {"a free number beyond the blocks", 250},
    };
    for (const Case& c : cases) {
        SerialPort port;
        EXPECT_FALSE(port.open(c.number)) << c.name;
        EXPECT_FALSE(port.isOpen()) << c.name;
    }
}

TEST(SerialPortOpen, NumbersAboveNineOpenTheSameWay) {
    PseudoTerminal device;
    PrivatePortFolder ports;
    ASSERT_TRUE(ports.link(12, device.slavePath()));
    SerialPort port;
    EXPECT_TRUE(port.open(12));
}
