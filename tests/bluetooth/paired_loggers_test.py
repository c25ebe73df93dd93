#!/usr/bin/python3
"""zor7700-transfer --list-ports against a mock BlueZ on a private system bus.

Usage: paired_loggers_test.py ZOR7700_TRANSFER. Exit status 77 (a skip) only
when python3-dbusmock is not installed.
"""
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
    print('python3-dbusmock is not installed')
    sys.exit(77)

TRANSFER = sys.argv[1]
SERIAL_PORT_PROFILE = '00001101-0000-1000-8000-00805f9b34fb'
HANDS_FREE_PROFILE = '0000111e-0000-1000-8000-00805f9b34fb'
BLUETOOTH_LINE = re.compile(r'COM\d+ +- Bluetooth [0-9A-F]{2}:')

# address, name, paired, profiles
DEVICES = [
    ('00:11:22:33:44:04', 'ZOR 7700 car', True, [HANDS_FREE_PROFILE, SERIAL_PORT_PROFILE]),
    ('00:11:22:33:44:01', 'ZOR 7700', True, [SERIAL_PORT_PROFILE]),
    ('00:11:22:33:44:02', 'Headset', True, [HANDS_FREE_PROFILE]),
    ('00:11:22:33:44:03', 'Not paired', False, [SERIAL_PORT_PROFILE]),
]


def list_ports(config, bus_address=None):
    environment = dict(os.environ, HOME=config, XDG_CONFIG_HOME=config)
    if bus_address:
        environment['DBUS_SYSTEM_BUS_ADDRESS'] = bus_address
    started = time.monotonic()
    run = subprocess.run([TRANSFER, '--list-ports'], env=environment, capture_output=True,
                         text=True, timeout=20, check=True)
    lines = [line for line in run.stdout.splitlines() if BLUETOOTH_LINE.match(line)]
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
            path = mock.AddDevice('hci0', address, name)
            if paired:
                mock.PairDevice('hci0', address, 0)
            device = dbus.Interface(bus.get_object('org.bluez', path), dbusmock.MOCK_IFACE)
            device.UpdateProperties('org.bluez.Device1',
                                    {'UUIDs': dbus.Array(profiles, signature='s')})

    @classmethod
    def tearDownClass(cls):
        cls.bluez.terminate()
        cls.bluez.wait()
        super().tearDownClass()

    def test_lists_exactly_the_paired_loggers_under_numbers_that_stay(self):
        with tempfile.TemporaryDirectory() as config:
            first, _ = list_ports(config)
            second, _ = list_ports(config)
            with open(config + '/ZOR/ports/bluetooth') as numbers:
                stored = [line for line in numbers.read().splitlines() if line[:1].isdigit()]
        self.assertEqual(first, ['COM129 - Bluetooth 00:11:22:33:44:01 ZOR 7700',
                                 'COM130 - Bluetooth 00:11:22:33:44:04 ZOR 7700 car'])
        self.assertEqual(second, first)
        self.assertEqual(stored, ['129 00:11:22:33:44:01 1', '130 00:11:22:33:44:04 1'])

    def test_a_missing_or_silent_bus_lists_no_logger_without_a_long_wait(self):
        with tempfile.TemporaryDirectory() as config, \
                socket.socket(socket.AF_UNIX) as silent:
            silent.bind(config + '/silent')
            silent.listen()
            for name, address in [('no bus', 'unix:path=' + config + '/missing'),
                                  ('a bus that never answers', 'unix:path=' + config + '/silent')]:
                with self.subTest(name):
                    lines, seconds = list_ports(config, address)
                    self.assertEqual(lines, [])
                    self.assertLess(seconds, 2.0)


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1])
