#!/usr/bin/env python3
"""Drives the web page in headless Chromium against a built folder.

    /usr/bin/python3 tests/web/browser_test.py BUILD_WEB_DIR [SCREENSHOT_PATH]

Serves BUILD_WEB_DIR (build/web: the module, the page, the ray types) on
127.0.0.1 and checks what a reader sees: answers in the module's words,
errors pointed at in the box, links that ask again, the lattice picture and
the JSON download. Needs python3-selenium, chromium and chromium-driver.
"""
import functools
import http.server
import json
import pathlib
import sys
import threading
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

REPO = pathlib.Path(__file__).resolve().parents[2]
WAIT_S = 30


class Handler(http.server.SimpleHTTPRequestHandler):
    # Streaming compilation refuses a module served as anything else.
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript", ".svg": "image/svg+xml"}

    def log_message(self, *args):
        pass


def serve(folder):
    """The folder on a free port of 127.0.0.1; returns the server and its URL."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def start_browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1200,2200"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(driver, condition, what):
    return WebDriverWait(driver, WAIT_S).until(lambda d: condition(d), message=what)


class Page:
    def __init__(self, driver):
        self.driver = driver

    def element(self, id_):
        return self.driver.find_element(By.ID, id_)

    def answer_text(self):
        return self.element("answer").text

    def ask(self, text, keys=False):
        """Types `text` into the box and asks, by the button or by Ctrl+Enter."""
        before = self.driver.execute_script("return window.imsetPage.timings.length")
        box = self.element("query")
        box.clear()
        box.send_keys(text)
        if keys:
            box.send_keys(Keys.CONTROL, Keys.ENTER)
        else:
            self.element("ask").click()
        wait_for(self.driver, lambda d: d.execute_script("return window.imsetPage.timings.length") > before,
                 f"an answer to {text!r}")

    def answers(self):
        return self.driver.execute_script("return window.imsetPage.answers()")

    def download_json(self):
        """The text of the file the JSON button hands to the browser."""
        self.driver.execute_script("""
            if (!window.savedBlobs) {
              window.savedBlobs = [];
              const create = URL.createObjectURL;
              URL.createObjectURL = (blob) => { window.savedBlobs.push(blob); return create(blob); };
            }""")
        self.element("download-json").click()
        return self.driver.execute_async_script("window.savedBlobs.at(-1).text().then(arguments[0])")

    def nodes(self):
        """The picture's subsets: mask -> (name, value, [(statement, holds)])."""
        return self.driver.execute_script("""
            const nodes = {};
            for (const g of document.querySelectorAll('#lattice .subset')) {
              nodes[g.dataset.mask] = [g.querySelector('.name').textContent, g.querySelector('.value').textContent,
                Array.from(g.querySelectorAll('.mark'), (m) => [Number(m.dataset.statement), m.classList.contains('holds')])];
            }
            return nodes;""")


failures = []
checks = 0


def check(condition, message):
    global checks
    checks += 1
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def marked(nodes, statement):
    return {int(mask) for mask, (_, _, marks) in nodes.items() if any(k == statement for k, _ in marks)}


def check_lattice_drawing(page):
    """The drawing on its own, from a made-up model: names, values, edges, rings."""
    drawn = page.driver.execute_script("""
        const svg = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
        ImsetLattice.draw(svg, {names: ['a', 'b', 'c'], values: [10, 11, 12, 13, 14, 15, 16, 17],
                                marks: [{statement: 'a,b|c', holds: true, sets: [1, 2, 4]},
                                        {statement: 'b,c', holds: false, sets: [2, 4, 0]}]});
        const five = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
        ImsetLattice.draw(five, {names: ['0', '1', '2', '3', '4'], values: Array(32).fill(0), marks: []});
        return {
          nodes: Array.from(svg.querySelectorAll('.subset'), (g) => [Number(g.dataset.mask),
            g.querySelector('.name').textContent, g.querySelector('.value').textContent,
            Array.from(g.querySelectorAll('.mark'), (m) => m.dataset.statement + m.getAttribute('class'))]),
          legend: svg.querySelector('.legend').textContent,
          edges: [svg.querySelectorAll('.edge').length, five.querySelectorAll('.edge').length],
          five: five.querySelectorAll('.subset').length,
          saved: ImsetLattice.serialize(svg).startsWith('<?xml'),
        };""")
    names = {mask: name for mask, name, _, _ in drawn["nodes"]}
    check(len(drawn["nodes"]) == 8 and drawn["five"] == 32, f"one node per subset: {len(drawn['nodes'])}, {drawn['five']}")
    check(names == {0: "∅", 1: "a", 2: "b", 3: "ab", 4: "c", 5: "ac", 6: "bc", 7: "abc"}, f"subset names {names}")
    check(all(value == str(10 + mask) for mask, _, value, _ in drawn["nodes"]), "each node shows its own value")
    check(drawn["edges"] == [12, 80], f"an edge per subset and added element: {drawn['edges']}")
    rings = {mask: marks for mask, _, _, marks in drawn["nodes"]}
    product = {mask for mask, marks in rings.items() if "0mark holds" in marks}
    check(product == {4, 5, 6, 7}, f"a,b|c ringed solid on c, ac, bc, abc: {product}")
    product = {mask for mask, marks in rings.items() if "1mark fails" in marks}
    check(product == {0, 2, 4, 6}, f"b,c ringed dashed on ∅, b, c, bc: {product}")
    check("1. holds (solid): a,b|c" in drawn["legend"] and "2. fails (dashed): b,c" in drawn["legend"],
          f"the legend names each statement: {drawn['legend']}")
    check(drawn["saved"], "the picture serializes as an SVG file")


def check_answers(page):
    """Asked by button and by Ctrl+Enter: the module's words, its picture, its JSON."""
    page.ask("+0,1|2 -0,1")
    text = page.answer_text()
    for words in ("structural: model exists", "witness model:", "witness: record", "ray: record", "implied:"):
        check(words in text, f"the answer says {words!r}: {text}")
    check(page.element("status").text.startswith("ready"), f"status: {page.element('status').text}")
    [answer] = page.answers()
    parsed = json.loads(answer["json"])
    nodes = page.nodes()
    check(len(nodes) == 32, f"32 subsets of five variables drawn: {len(nodes)}")
    check(all(value == str(parsed["model"]["values"][int(mask)]) for mask, (_, value, _) in nodes.items()),
          "the nodes show the witness's values")
    check(marked(nodes, 0) == {4, 5, 6, 7} and marked(nodes, 1) == {0, 1, 2, 3},
          f"0,1|2 on 2, 02, 12, 012 and 0,1 on ∅, 0, 1, 01: {marked(nodes, 0)}, {marked(nodes, 1)}")
    check(page.element("save-svg").is_enabled(), "the picture can be saved")

    page.ask("+0,1 -0,1|2", keys=True)
    check("query:1: +0,1 -0,1|2" in page.answer_text(), f"Ctrl+Enter asks: {page.answer_text()}")

    # Every answer of a file, one JSON line each, in the download.
    page.element("query").clear()
    page.driver.find_element(By.CSS_SELECTOR, "[data-example-file]").click()
    wait_for(page.driver, lambda d: len(page.answers()) == 4, "the example file's four answers")
    box = page.element("query").get_attribute("value")
    check(box == (REPO / "data/example-queries.txt").read_text(), "the example button holds data/example-queries.txt")
    saved = page.download_json()
    check(saved == "".join(a["json"] + "\n" for a in page.answers()), "the download holds every JSON line")
    check(len(page.element("pick").find_elements(By.TAG_NAME, "option")) == 4, "each answer can be drawn")
    # The first has no model: said in words, nothing drawn.
    check(not page.nodes() and "No structural model" in page.element("picture-status").text,
          f"no picture without a model: {page.element('picture-status').text}")
    page.driver.execute_script("const p = document.getElementById('pick'); p.value = '1';"
                               "p.dispatchEvent(new Event('change'));")
    check(len(page.nodes()) == 32 and "line 9" in page.element("picture-status").text,
          f"another answer drawn when picked: {page.element('picture-status').text}")


def check_batch(page):
    """A long batch: the first 200 answers laid out, the rest counted and downloaded."""
    before = page.driver.execute_script("return window.imsetPage.timings.length")
    page.driver.execute_script("document.getElementById('query').value = arguments[0];"
                               "document.getElementById('ask').click();", "+0,1 -0,1|2\n" * 250)
    wait_for(page.driver, lambda d: d.execute_script("return window.imsetPage.timings.length") > before, "the batch")
    shown = len(page.driver.find_elements(By.CSS_SELECTOR, "#answer ol.answers li"))
    check(shown == 200 and "50 more answers" in page.answer_text(), f"200 of 250 answers laid out: {shown}")
    saved = page.download_json()
    check(saved.count("\n") == 250, "the download holds all 250")


def check_errors(page):
    """Messages shown as text, their place selected in the box."""
    # Column 13 counts the bytes of ⊥; the box's offset of x is 10.
    page.ask("variables: a b c\n+a ⊥ b -a,x")
    text = page.answer_text()
    check("query:2:13:" in text and "line 2, column 13" in text, f"the message and its place: {text}")
    selected = page.driver.execute_script(
        "const b = document.getElementById('query');"
        "return [document.activeElement === b, b.value.slice(b.selectionStart, b.selectionEnd)]")
    check(selected == [True, "x"], f"the faulty name selected in the box: {selected}")

    page.ask("+0,1|2 -0,x")
    check("query:1:11:" in page.answer_text() and not page.nodes(), "a malformed query: message and no picture")

    page.ask("+0,1 <img src=x onerror=alert(1)>")
    check("<img" in page.answer_text() and not page.driver.find_elements(By.CSS_SELECTOR, "#answer img"),
          "message text is shown as text, never as markup")

    # Past five variables: the answers before it kept, the other tools named.
    page.ask("+0,1 -0,1|2\n+0,1|5 -0,1")
    text = page.answer_text()
    check("query line 2" in text and "query:1: +0,1 -0,1|2" in text, f"answers before it kept: {text}")
    check("imset-query" in text and "Python module imset" in text, "the tools that answer more variables named")


def check_link(page, url):
    """A link with the query in its fragment asks it again in a fresh load."""
    query = "variables: smoke tar cancer\n+smoke _||_ cancer | tar -smoke _||_ cancer"
    page.ask(query)
    first = page.answer_text()
    link = page.driver.current_url
    check(urllib.parse.unquote(link.partition("#q=")[2]) == query, f"the link holds the query: {link}")
    page.driver.get("about:blank")
    page.driver.get(link)
    wait_for(page.driver, lambda d: "structural:" in page.answer_text(), "the linked query answered")
    check(page.element("query").get_attribute("value") == query, "the link fills the box")
    check(page.answer_text() == first, "the link gives the same answer")
    names = sorted(name for name, _, _ in page.nodes().values())
    check(len(names) == 8 and "smoke, tar, cancer" in names and "∅" in names, f"8 named subsets: {names}")
    # smoke _||_ cancer | tar, from the module's sets: tar, smoke+tar, tar+cancer, all three.
    check(marked(page.nodes(), 0) == {2, 3, 6, 7}, f"the named statement ringed: {marked(page.nodes(), 0)}")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    folder = sys.argv[1]
    server, url = serve(folder)
    driver = start_browser()
    try:
        driver.get(url)
        page = Page(driver)
        wait_for(driver, lambda d: "ImsetLattice" in d.execute_script("return Object.keys(window)"), "the page")
        check_lattice_drawing(page)
        check_answers(page)
        check_batch(page)
        check_errors(page)
        check_link(page, url)
        severe = [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
        check(not severe, f"no errors in the console: {severe}")
        if len(sys.argv) == 3:
            page.ask("+0,1|2 -0,1")
            pathlib.Path(sys.argv[2]).parent.mkdir(parents=True, exist_ok=True)
            driver.save_screenshot(sys.argv[2])
    finally:
        driver.quit()
        server.shutdown()
    print(f"{checks - len(failures)} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
