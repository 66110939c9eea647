#!/usr/bin/python3
"""The whole job in the real window, as a screen reader's user does it.

Starts the program on a private X display under a window manager, with the
accessibility bus of a private D-Bus session, and drives it only through
that bus: every control is found by its role and the name a screen reader
says, never by an objectName. From Read Form to Save Script:

  read the user's form page through the file dialog, tick the safe script,
  have the values mailed, compile, save the script, save the settings.

Then the settings file must hold what was done, and the saved script must be
the one the command line compiles from it.

Usage: dbus-run-session -- /usr/bin/python3 wholejob.py PATH/TO/zestrel
"""
import json
import os
import subprocess
import sys
import tempfile
import time

TIMEOUT = 30  # seconds for the window or a dialog to appear
KEY_TAB, KEY_SPACE, KEY_DOWN, KEY_HOME = 0xff09, 0x20, 0xff54, 0xff50  # X keysyms


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)


def wait_for(find, what):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    fail("no " + what + " appeared within %d seconds" % TIMEOUT)


def start_desktop(scratch):
    """A display, the accessibility bus and a window manager."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        display = pipe.readline().strip()
    if not display:
        fail("Xvfb gave no display")
    os.environ["DISPLAY"] = ":" + display
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wm = subprocess.Popen(["openbox", "--config-file", "/dev/null"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, env=dict(os.environ, HOME=scratch))
    return [wm, bus, xvfb]


class Bus:
    """The program's accessible objects, found by role and name."""

    def __init__(self, name):
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi, GLib
        self.atspi = Atspi
        self.glib = GLib
        desktop = Atspi.get_desktop(0)
        self.app = wait_for(lambda: next(
            (desktop.get_child_at_index(i) for i in range(desktop.get_child_count())
             if desktop.get_child_at_index(i).get_name() == name), None), "application " + name)
        # Each control that gains the focus, counted as the bus reports it.
        self.focus_moves = 0

        def moved(event):
            if event.detail1:
                self.focus_moves += 1
        self.listener = Atspi.EventListener.new(moved)
        self.listener.register("object:state-changed:focused")

    def until(self, condition, what):
        """Waits for the condition, taking in what the bus reports meanwhile."""
        context = self.glib.MainContext.default()

        def pumped():
            while context.iteration(False):
                pass
            return True if condition() else None
        wait_for(pumped, what)

    def all(self, root, role, name):
        """Every control of the role and name under root. A window that
        closes meanwhile takes its controls with it: they are passed over."""
        found = []
        stack = [root]
        while stack:
            node = stack.pop()
            try:
                if node is None:
                    continue
                if node.get_role_name() == role and node.get_name() == name:
                    found.append(node)
                stack.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
            except self.glib.Error:
                continue
        return found

    def one(self, root, role, name):
        """The only control of that role and name; a screen reader's user
        could not tell two apart."""
        found = self.all(root, role, name)
        if len(found) != 1:
            fail("%d controls of role %r named %r, not 1" % (len(found), role, name))
        return found[0]

    def window(self, roles, holding):
        """A top-level window of one of the roles with a push button named
        `holding`."""
        def find():
            for window in self.all_windows():
                if window.get_role_name() in roles and self.all(window, "push button", holding):
                    return window
            return None
        return wait_for(find, "/".join(roles) + " with a " + holding + " button")

    def act(self, node, action):
        actions = node.get_action_iface()
        names = [actions.get_action_name(i) for i in range(actions.get_n_actions())] if actions else []
        if action not in names:
            fail("%r offers %s, not %r" % (node.get_name(), names, action))
        try:
            actions.do_action(names.index(action))
        except self.glib.Error as error:
            # A tool button or menu item that opens a modal box answers only
            # once the box is closed; the box is there to be answered.
            if "Did not receive a reply" not in str(error):
                raise

    def type(self, node, text):
        if not node.get_editable_text_iface().set_text_contents(text):
            fail("cannot type into " + repr(node.get_name()))

    def key(self, keysym):
        self.atspi.generate_keyboard_event(keysym, None, self.atspi.KeySynthType.SYM)
        time.sleep(0.1)

    def focused(self, node):
        return node.get_state_set().contains(self.atspi.StateType.FOCUSED)

    def tab_to(self, start, target):
        """Moves the focus from `start` with Tab to `target`, as a keyboard
        user reaches a control that takes no focus of its own accord: one
        Tab at a time, each waited for, so that none overshoots."""
        self.act(start, "SetFocus")
        self.until(lambda: self.focused(start), "the focus on " + repr(start.get_name()))
        time.sleep(0.3)
        self.until(lambda: True, "the bus")
        for _ in range(12):
            moves = self.focus_moves
            self.key(KEY_TAB)
            self.until(lambda: self.focus_moves > moves, "the focus to move on Tab")
            if self.focused(target):
                return
        fail("Tab never reaches " + repr(target.get_name()))

    def checked(self, node):
        return node.get_state_set().contains(self.atspi.StateType.CHECKED)

    def press(self, root, role, name, action="Press"):
        self.act(self.one(root, role, name), action)

    def choose_file(self, title, button, path):
        """Answers a file dialog as its user would: the name, then the button."""
        dialog = wait_for(lambda: next(
            (self.app.get_child_at_index(i) for i in range(self.app.get_child_count())
             if self.app.get_child_at_index(i).get_role_name() == "dialog"
             and self.app.get_child_at_index(i).get_name() == title), None), "dialog " + title)
        self.type(self.one(dialog, "text", "File name:"), path)
        self.press(dialog, "push button", button)

    def all_windows(self):
        windows = []
        try:
            for i in range(self.app.get_child_count()):
                window = self.app.get_child_at_index(i)
                if window is not None:
                    window.get_role_name()
                    windows.append(window)
        except self.glib.Error:
            pass
        return windows

    def answer_ok(self):
        """Answers the one box open, and waits for it to close."""
        roles = ("alert", "dialog")
        self.press(self.window(roles, "OK"), "push button", "OK")
        wait_for(lambda: None if any(window.get_role_name() in roles for window in self.all_windows())
                 else True, "box to close")


FORM = """<!DOCTYPE html>
<html><body>
<form method="post" action="send.php">
<label for="name">Name</label> <input id="name" name="name" required maxlength="60">
<label for="email">E-mail</label> <input id="email" name="email" type="email" required>
<label for="message">Message</label> <textarea id="message" name="message"></textarea>
<button>Send</button>
</form>
</body></html>
"""


def main():
    program = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as scratch:
        site = os.path.join(scratch, "site")
        os.mkdir(site)
        page = os.path.join(site, "contact.html")
        with open(page, "w", encoding="utf-8") as f:
            f.write(FORM)
        script = os.path.join(site, "send.php")
        settings = os.path.join(site, "contact.zestrel")

        desktop = start_desktop(scratch)
        env = dict(os.environ, HOME=scratch, XDG_CONFIG_HOME=os.path.join(scratch, ".config"),
                   QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C.UTF-8")
        window_process = subprocess.Popen([program], env=env, cwd=scratch)
        try:
            bus = Bus("zestrel")
            main_window = bus.window(("frame",), "Compile Script ")

            bus.press(main_window, "push button", "Read Form")
            bus.choose_file("Read Form", "Open", page)
            bus.answer_ok()
            bus.press(main_window, "check box", "Safe script for PHP 8 (mysqli)", "Toggle")

            bus.press(main_window, "page tab", "Email Variables")
            bus.press(main_window, "check box", "Send variables via email", "Toggle")
            bus.type(bus.one(main_window, "text", "Recipient's email"), "owner@shop.test")
            bus.type(bus.one(main_window, "text", "Subject"), "Contact form")
            bus.type(bus.one(main_window, "text", "Success Page"), "thanks.html")
            bus.type(bus.one(main_window, "text", "Failure Page"), "sorry.html")
            mail_list = bus.one(main_window, "list", "Select variables to email")
            bus.tab_to(bus.one(main_window, "text", "Subject"), mail_list)
            bus.key(KEY_HOME)
            entries = [bus.one(mail_list, "list item", entry) for entry in ("$name", "$email", "$message")]
            for _ in entries:
                bus.key(KEY_SPACE)
                bus.key(KEY_DOWN)
            # Keys come through the display, the rest through the bus: the
            # ticks must be there before the bus compiles.
            bus.until(lambda: all(bus.checked(entry) for entry in entries), "the three ticks")

            bus.press(main_window, "push button", "Compile Script ")
            bus.answer_ok()
            bus.press(main_window, "push button", "Save Script")
            bus.choose_file("Save As", "Save", script)  # Save Script's dialog keeps Qt's title

            bus.press(main_window, "menu item", "Save Settings As...")
            bus.choose_file("Save Settings", "Save", settings)
            wait_for(lambda: settings if os.path.exists(settings) else None, "settings file")
        finally:
            window_process.terminate()
            window_process.wait(10)
            for process in desktop:
                process.terminate()

        with open(settings, encoding="utf-8") as f:
            kept = json.load(f)
        expected = {"fieldList": ["name", "email", "message"], "target": "safe", "sendMail": True,
                    "recipient": "owner@shop.test", "subject": "Contact form",
                    "mailTicked": [True, True, True], "formPage": "contact.html", "scriptFile": "send.php"}
        for key, value in expected.items():
            if kept.get(key) != value:
                fail("the settings file holds %r for %r, not %r" % (kept.get(key), key, value))
        with open(script, "rb") as f:
            saved = f.read()
        compiled = subprocess.run([program, "--compile", settings, "-o", "-"], check=True,
                                  capture_output=True).stdout
        if saved != compiled:
            fail("the saved script is not the script the command line compiles from the saved settings")
    print("PASS: the whole job over the accessibility bus")


if __name__ == "__main__":
    main()
