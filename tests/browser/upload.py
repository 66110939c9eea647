#!/usr/bin/python3
r"""Fill in a form in a real browser (Debian's Chromium, headless), choose its
files as a visitor does, and send it.

Usage:  /usr/bin/python3 tests/browser/upload.py [--chromium PATH] URL FIELDS > answer.json

FIELDS is a JSON object: for each control's name, the text to type, or a list
of files to choose in a file input (through DevTools' DOM.setFileInputFiles,
which sets them as the file dialog would). The form is sent with
requestSubmit(), so the browser checks its rules first.

stdout: a JSON object:
    url      the address the browser ended at
    title    its document.title
    status   the HTTP status of that page
Exit status: 0 sent and answered; 1 Chromium missing, failing or too slow, or
the browser would not send the form.
"""
import json
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import validity  # noqa: E402  (the DevTools pipe and Chromium's flags)

RESULT = """JSON.stringify({url: location.href, title: document.title, ready: document.readyState,
  status: (performance.getEntriesByType('navigation')[0] || {}).responseStatus || 0})"""


def wait(tools, session, condition):
    while True:
        value, _ = tools.evaluate(session, condition)
        if value:
            return
        time.sleep(0.05)


def send_form(chromium, url, fields, timeout):
    with tempfile.TemporaryDirectory(prefix="zestrel-upload-") as profile:
        tools = validity.DevTools(chromium, "about:blank", profile, os.path.join(profile, "stderr"),
                                  time.monotonic() + timeout)
        try:
            session = None
            while session is None:
                for target in tools.send("Target.getTargets", {}).get("targetInfos", []):
                    if target.get("type") == "page":
                        session = tools.send("Target.attachToTarget",
                                             {"targetId": target["targetId"], "flatten": True}
                                             )["sessionId"]
                        break
                else:
                    time.sleep(0.05)
            tools.send("Page.enable", {}, session)
            tools.send("Page.navigate", {"url": url}, session)
            wait(tools, session, "location.href === %s && document.readyState === 'complete'" % json.dumps(url))
            root = tools.send("DOM.getDocument", {}, session)["root"]["nodeId"]
            for name, value in fields.items():
                selector = "[name=%s]" % json.dumps(name)
                if isinstance(value, list):
                    node = tools.send("DOM.querySelector", {"nodeId": root, "selector": selector}, session)["nodeId"]
                    if not node:
                        raise validity.BrowserError("the page has no file input named %s" % name)
                    tools.send("DOM.setFileInputFiles", {"files": value, "nodeId": node}, session)
                else:
                    _, error = tools.evaluate(session, "document.querySelector(%s).value = %s"
                                              % (json.dumps(selector), json.dumps(value)))
                    if error:
                        raise validity.BrowserError("cannot fill in %s: %s" % (name, error))
            valid, _ = tools.evaluate(session, "document.forms[0].checkValidity()")
            if not valid:
                raise validity.BrowserError("the browser finds the form invalid and would not send it")
            tools.evaluate(session, "window.__sent = true; document.forms[0].requestSubmit()")
            # The answer is a new document, without the mark.
            wait(tools, session, "!window.__sent && document.readyState === 'complete'")
            text, error = tools.evaluate(session, RESULT)
            if error:
                raise validity.BrowserError("the answer could not be read: %s" % error)
            answer = json.loads(text)
            del answer["ready"]
            return answer
        finally:
            tools.close()


def main(argv):
    chromium = validity.CHROMIUM
    if argv[:1] == ["--chromium"]:
        chromium, argv = argv[1], argv[2:]
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 1
    try:
        validity.check_chromium(chromium)
        print(json.dumps(send_form(chromium, argv[0], json.loads(argv[1]), 60.0)))
    except validity.BrowserError as e:
        print("upload: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
