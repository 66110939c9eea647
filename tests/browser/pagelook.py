#!/usr/bin/python3
r"""Open pages in a real browser (Debian's Chromium, headless) and say how they
look and what their Content-Security-Policy refused.

Usage:  /usr/bin/python3 tests/browser/pagelook.py [--chromium PATH] URL... > answers.json

stdout: a JSON list, one object per URL, in order:
    title       document.title
    font        the computed font-family of <body>
    header      the computed color of the first <header>, or null without one
    violations  each securitypolicyviolation the page raised, as
                "directive blocked-URI" (an inline element's blocked-URI is "inline")
Exit status: 0 all answered; 1 Chromium missing, failing or too slow.

The listener that records violations is added through DevTools before each
page loads, where the page's own policy does not reach it.
"""
import json
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import validity  # noqa: E402  (the DevTools pipe and Chromium's flags)

RECORD = """
window.__violations = [];
document.addEventListener('securitypolicyviolation', e => {
  window.__violations.push(e.effectiveDirective + ' ' + (e.blockedURI || 'inline'));
});
"""

LOOK = """JSON.stringify({
  title: document.title,
  font: getComputedStyle(document.body).fontFamily,
  header: document.querySelector('header') ? getComputedStyle(document.querySelector('header')).color : null,
  violations: window.__violations || ['no listener']
})"""


def look(chromium, urls, timeout):
    with tempfile.TemporaryDirectory(prefix="zestrel-look-") as profile:
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
            tools.send("Page.addScriptToEvaluateOnNewDocument", {"source": RECORD}, session)
            answers = []
            for url in urls:
                tools.send("Page.navigate", {"url": url}, session)
                while True:
                    ready, _ = tools.evaluate(session, "location.href === %s && document.readyState === 'complete'"
                                              % json.dumps(url))
                    if ready:
                        break
                    time.sleep(0.05)
                # Violations are reported a moment after the load.
                time.sleep(0.2)
                text, error = tools.evaluate(session, LOOK)
                if error:
                    raise validity.BrowserError("the look of %s could not be read: %s" % (url, error))
                answers.append(json.loads(text))
            return answers
        finally:
            tools.close()


def main(argv):
    chromium = validity.CHROMIUM
    if argv[:1] == ["--chromium"]:
        chromium, argv = argv[1], argv[2:]
    try:
        validity.check_chromium(chromium)
        print(json.dumps(look(chromium, argv, 60.0)))
    except validity.BrowserError as e:
        print("pagelook: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
