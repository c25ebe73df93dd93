#!/usr/bin/python3
"""What a screen reader finds in the Qt wizard, read over AT-SPI.

Starts its own virtual display, accessibility bus (inside the session bus
that dbus-run-session gives it), the simulator on a private settings folder
that remembers the simulator's port, and the wizard. Compares every page's
controls with PAGES, then walks welcome, port and output page by pressing
Next through AT-SPI and compares each page again while it is shown.
Usage (under dbus-run-session): wizard_atspi.py WIZARD SIMULATOR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

# Imported once the accessibility bus is up: the library looks for it once.
pyatspi = None

TIMEOUT_S = 20

# Each page by its heading, then every control on it but the page texts:
# role, the name a screen reader speaks, whether it takes the focus. The
# frame's buttons come first.
FRAME = [
    ("push button", "Cancel", True),
    ("push button", "Previous", True),
    ("push button", "Next", True),
]
PAGES = [
    ("ZOR7700Track\n\nCreate a KML / NMEA file\nfrom your device's track log.", []),
    ("Please select the Bluetooth serial port\nfor your device:", [
        ("combo box", "Bluetooth serial port", True),
        ("push button", "Refresh", True),
    ]),
    ("Connecting Bluetooth Device\nThis may take several seconds", [
        ("progress bar", "Connecting", False),
    ]),
    ("Please select output file:", [
        ("text", "Output file", True),
        ("push button", "Choose output file", True),
        ("check box", "Erase device memory after transfer", True),
    ]),
    ("Transferring Data ...", [
        ("progress bar", "Transfer progress", False),
    ]),
    ("Output file successfully created.", [
        ("push button", "Open Folder", True),
    ]),
    ("ERROR", []),
]
WELCOME, PORT, OUTPUT = 0, 1, 3
# The page texts, the etched line and the pages themselves.
NOT_CONTROLS = {"label", "frame", "filler"}
# The combo box is labelled by the port page's heading, the file field by
# the output page's.
LABELLED = {"Bluetooth serial port": PAGES[PORT][0], "Output file": PAGES[OUTPUT][0]}

failures = []


def expect(what, expected, actual):
    if expected != actual:
        failures.append(f"{what}:\n  expected {expected!r}\n  actual   {actual!r}")


def wait_for(what, condition):
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        found = condition()
        if found:
            return found
        time.sleep(0.1)
    raise TimeoutError(f"timed out waiting for {what}")


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def controls(container):
    return [(c.getRoleName(), c.name, c.getState().contains(pyatspi.STATE_FOCUSABLE))
            for c in children(container) if c.getRoleName() not in NOT_CONTROLS]


def labelled_by(node):
    return [r.getTarget(0).name for r in node.getRelationSet()
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]


def wizard_frame():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "ZOR7700Track" and app.childCount > 0:
            frame = app.getChildAtIndex(0)
            if len([c for c in children(frame) if c.getRoleName() == "filler"]) == len(PAGES):
                return frame
    return None


def check_page(frame, index, when):
    panel = [c for c in children(frame) if c.getRoleName() == "filler"][index]
    heading, expected = PAGES[index]
    where = f"page {index} {when}"
    expect(f"{where}: heading", heading, panel.getChildAtIndex(0).name)
    expect(f"{where}: controls", expected, controls(panel))
    for node in children(panel):
        if node.name in LABELLED:
            expect(f"{where}: label of {node.name}", [LABELLED[node.name]], labelled_by(node))


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def press(frame, name):
    button = next(c for c in children(frame) if c.name == name)
    actions = button.queryAction()
    actions.doAction(next(i for i in range(actions.nActions) if actions.getName(i) == "Press"))


def walk(frame):
    expect("frame", FRAME, controls(frame))
    for index in range(len(PAGES)):
        check_page(frame, index, "in the tree")
    pages = [c for c in children(frame) if c.getRoleName() == "filler"]
    for index, step in ((WELCOME, "Next"), (PORT, "Next"), (OUTPUT, "Cancel")):
        wait_for(f"page {index} to be shown", lambda: showing(pages[index]))
        check_page(frame, index, "shown")
        press(frame, step)


def start_display(env):
    # The server picks a free display itself, so runs side by side never
    # take the same one.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp",
                               "-screen", "0", "1024x768x24", "-dpi", "96"],
                              pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as answer:
        number = answer.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not start")
    env["DISPLAY"] = ":" + number
    return server


def start_accessibility_bus(env):
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                env=env)
    # Asked without activating it, so no second launcher starts meanwhile.
    ask = ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
           "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"]
    wait_for("the accessibility bus", lambda: "boolean true" in subprocess.run(
        ask, env=env, capture_output=True, text=True).stdout)
    global pyatspi
    import pyatspi as atspi
    pyatspi = atspi
    return launcher


def start_simulator(simulator, env):
    sim = subprocess.Popen([simulator, "--fast"], env=env, stdout=subprocess.PIPE, text=True)
    line = sim.stdout.readline()  # "COMn /dev/pts/m" once the port is registered
    if not line.startswith("COM"):
        raise RuntimeError(f"the simulator did not start: {line!r}")
    return sim, int(line.split()[0][3:])


def main(wizard, simulator):
    work = tempfile.mkdtemp(prefix="wizard-atspi-")
    processes = []
    try:
        env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        processes.append(start_display(env))
        processes.append(start_accessibility_bus(env))
        sim, port = start_simulator(simulator, env)
        processes.append(sim)
        # The simulator's port is the remembered one, so Next goes on from the
        # port page.
        settings = os.path.join(work, "config", "ZOR")
        os.makedirs(settings, exist_ok=True)
        with open(os.path.join(settings, "ZOR7700Track.conf"), "w", encoding="utf-8") as out:
            out.write(f"[General]\nComPort={port}\n")
        program = subprocess.Popen([wizard], env=env)
        processes.append(program)
        walk(wait_for("the wizard over AT-SPI",
                      lambda: wizard_frame() if program.poll() is None else sys.exit("the wizard ended")))
        expect("exit code after Cancel", 0, program.wait(TIMEOUT_S))
    finally:
        for process in reversed(processes):
            if process.poll() is None:
                process.terminate()
                process.wait(TIMEOUT_S)
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAILED", failure)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
