#!/usr/bin/python3
"""zor7700-transfer --list-ports against a mock BlueZ on a private system bus.
Usage: paired_loggers_test.py ZOR7700_TRANSFER; exit 77 (skip) only without
python3-dbusmock."""
import os
import re
import socket
import subprocess
import sys
import tempfile
import time
import unittest

try:
    import dbus
    import dbusmock
except ImportError:
    sys.exit(77)

SERIAL_PORT = '00001101-0000-1000-8000-00805f9b34fb'
HANDS_FREE = '0000111e-0000-1000-8000-00805f9b34fb'
DEVICES = [  # address, name, paired, profiles
    ('00:11:22:33:44:04', 'ZOR 7700 car', True, [HANDS_FREE, SERIAL_PORT]),
    ('00:11:22:33:44:01', 'ZOR 7700', True, [SERIAL_PORT]),
    ('00:11:22:33:44:02', 'Headset', True, [HANDS_FREE]),
    ('00:11:22:33:44:03', 'Not paired', False, [SERIAL_PORT]),
]


def bluetooth_ports(config, bus=None):
    """The listed paired loggers, and the seconds the listing took."""
    environment = dict(os.environ, HOME=config, XDG_CONFIG_HOME=config)
    environment.update({'DBUS_SYSTEM_BUS_ADDRESS': bus} if bus else {})
    started = time.monotonic()
    run = subprocess.run([sys.argv[1], '--list-ports'], env=environment, capture_output=True,
                         text=True, timeout=20, check=True)
    lines = re.findall(r'^COM\d+ +- Bluetooth [0-9A-F]{2}:.*$', run.stdout, re.MULTILINE)
    return lines, time.monotonic() - started


class PairedLoggers(dbusmock.DBusTestCase):
    @classmethod
    def setUpClass(cls):
        cls.start_system_bus()
        cls.bluez, _ = cls.spawn_server_template('bluez5', {}, stdout=subprocess.DEVNULL)
        bus = cls.get_dbus(system_bus=True)
        mock = dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock')
        mock.AddAdapter('hci0', 'test host')
        for address, name, paired, profiles in DEVICES:
            device = bus.get_object('org.bluez', mock.AddDevice('hci0', address, name))
            if paired:
                mock.PairDevice('hci0', address, 0)
            dbus.Interface(device, dbusmock.MOCK_IFACE).UpdateProperties(
                'org.bluez.Device1', {'UUIDs': dbus.Array(profiles, signature='s')})

    @classmethod
    def tearDownClass(cls):
        cls.bluez.terminate()
        cls.bluez.wait()
        super().tearDownClass()

    def test_exactly_the_paired_loggers_under_numbers_that_stay(self):
        with tempfile.TemporaryDirectory() as config:
            first, _ = bluetooth_ports(config)
            self.assertEqual(first, ['COM129 - Bluetooth 00:11:22:33:44:01 ZOR 7700',
                                     'COM130 - Bluetooth 00:11:22:33:44:04 ZOR 7700 car'])
            self.assertEqual(bluetooth_ports(config)[0], first)

    def test_no_logger_and_no_long_wait_from_a_missing_or_silent_bus(self):
        with tempfile.TemporaryDirectory() as config, socket.socket(socket.AF_UNIX) as silent:
            silent.bind(config + '/silent')
            silent.listen()
            for bus in ['unix:path=' + config + '/missing', 'unix:path=' + config + '/silent']:
                lines, seconds = bluetooth_ports(config, bus)
                self.assertEqual((lines, seconds < 2.0), ([], True), bus)


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1])
