#include "support/bluetooth_devices_posix.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include <strings.h>
#include <systemd/sd-bus.h>

namespace {

constexpr char kDeviceInterface[] = "org.bluez.Device1";
constexpr char kSerialPortProfile[] = "00001101-0000-1000-8000-00805f9b34fb";

// Closed without a flush: a bus that never answered would hold the queue forever.
struct BusDeleter {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct MessageDeleter {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Bus = std::unique_ptr<sd_bus, BusDeleter>;
using Message = std::unique_ptr<sd_bus_message, MessageDeleter>;

// What one org.bluez.Device1 object says of itself.
struct DeviceProperties {
    std::string address;
    std::string alias;
    std::string name;
    bool paired = false;
    bool serialPort = false;
};

bool readUuids(sd_bus_message* m, bool& serialPort) {
    char** uuids = nullptr;
    if (sd_bus_message_enter_container(m, 'v', "as") < 0 || sd_bus_message_read_strv(m, &uuids) < 0)
        return false;
    for (char** uuid = uuids; uuid != nullptr && *uuid != nullptr; ++uuid) {
        serialPort = serialPort || strcasecmp(*uuid, kSerialPortProfile) == 0;
        std::free(*uuid);
    }
    std::free(uuids);
    return sd_bus_message_exit_container(m) >= 0;
}

bool readText(sd_bus_message* m, std::string& value) {
    const char* text = nullptr;
    if (sd_bus_message_read(m, "v", "s", &text) < 0)
        return false;
    value = text;
    return true;
}

// One "{sv}" entry; properties of no interest are skipped.
bool readProperty(sd_bus_message* m, DeviceProperties& device) {
    const char* key = nullptr;
    if (sd_bus_message_read(m, "s", &key) < 0)
        return false;
    std::string_view name = key;
    int paired = 0;
    if (name == "Address")
        return readText(m, device.address);
    if (name == "Alias")
        return readText(m, device.alias);
    if (name == "Name")
        return readText(m, device.name);
    if (name == "UUIDs")
        return readUuids(m, device.serialPort);
    if (name != "Paired")
        return sd_bus_message_skip(m, "v") >= 0;
    if (sd_bus_message_read(m, "v", "b", &paired) < 0)
        return false;
    device.paired = paired != 0;
    return true;
}

// An array of dictionary entries whose contents have the signature `entry`
// ("sv" for "a{sv}"), each read by `readEntry`; false as soon as one does not
// read.
template <typename ReadEntry>
bool readEntries(sd_bus_message* m, const std::string& entry, ReadEntry readEntry) {
    if (sd_bus_message_enter_container(m, 'a', ("{" + entry + "}").c_str()) < 0)
        return false;
    int entered = 0;
    while ((entered = sd_bus_message_enter_container(m, 'e', entry.c_str())) > 0) {
        if (!readEntry() || sd_bus_message_exit_container(m) < 0)
            return false;
    }
    return entered == 0 && sd_bus_message_exit_container(m) >= 0;
}

bool readDevice(sd_bus_message* m, DeviceProperties& device) {
    return readEntries(m, "sv", [&] { return readProperty(m, device); });
}

// One interface with its properties ("sa{sv}"); a logger goes to `found`.
bool readInterface(sd_bus_message* m, std::vector<PairedDevice>& found) {
    const char* interface = nullptr;
    if (sd_bus_message_read(m, "s", &interface) < 0)
        return false;
    if (std::strcmp(interface, kDeviceInterface) != 0)
        return sd_bus_message_skip(m, "a{sv}") >= 0;
    DeviceProperties device;
    if (!readDevice(m, device))
        return false;
    if (device.paired && device.serialPort && !device.address.empty())
        found.push_back({device.address, device.alias.empty() ? device.name : device.alias});
    return true;
}

// One object path with its interfaces ("oa{sa{sv}}").
bool readObject(sd_bus_message* m, std::vector<PairedDevice>& found) {
    const char* path = nullptr;
    return sd_bus_message_read(m, "o", &path) >= 0 &&
           readEntries(m, "sa{sv}", [&] { return readInterface(m, found); });
}

bool readManagedObjects(sd_bus_message* m, std::vector<PairedDevice>& found) {
    return readEntries(m, "oa{sa{sv}}", [&] { return readObject(m, found); });
}

int keepReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    *static_cast<sd_bus_message**>(userdata) = sd_bus_message_ref(reply);
    return 0;
}

// Driven by hand, so that setting up the connection (authentication, Hello)
// counts against the same limit as the call: a hung bus must not freeze the
// port page.
Message askForManagedObjects(sd_bus* bus) {
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, "org.bluez", "/",
                                       "org.freedesktop.DBus.ObjectManager",
                                       "GetManagedObjects") < 0)
        return {};
    Message request(call);
    // Listing ports must not start a Bluetooth service that is not running.
    sd_bus_message_set_auto_start(call, 0);
    using Clock = std::chrono::steady_clock;
    const auto limit = std::chrono::milliseconds(kBluetoothQueryLimitMs);
    const auto deadline = Clock::now() + limit;
    sd_bus_message* reply = nullptr;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_call_async(bus, &slot, call, keepReply, &reply,
                          std::chrono::microseconds(limit).count()) < 0)
        return {};
    while (reply == nullptr) {
        int processed = sd_bus_process(bus, nullptr);
        if (processed > 0)
            continue;
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (processed < 0 || left.count() <= 0 || sd_bus_wait(bus, left.count()) < 0)
            break;
    }
    sd_bus_slot_unref(slot);
    Message answer(reply);
    if (answer && sd_bus_message_is_method_error(reply, nullptr))
        answer.reset();
    return answer;
}

} // namespace

std::vector<PairedDevice> pairedSerialDevices() {
    sd_bus* opened = nullptr;
    if (sd_bus_open_system(&opened) < 0)
        return {};
    Bus bus(opened);
    Message reply = askForManagedObjects(bus.get());
    std::vector<PairedDevice> found;
    if (!reply || !readManagedObjects(reply.get(), found))
        return {};
    std::sort(found.begin(), found.end(),
              [](const PairedDevice& a, const PairedDevice& b) { return a.address < b.address; });
    return found;
}
