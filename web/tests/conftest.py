"""The built site served on a free local port, and one headless Chromium
driven by Selenium for all the tests. The site is build-wasm/web (or
FCLIMITS_SITE); the native module they compare with is the one on
PYTHONPATH (build/python)."""
import functools
import http.server
import os
import pathlib
import threading

import pytest
from selenium import webdriver
from selenium.webdriver.support.ui import WebDriverWait

ROOT = pathlib.Path(__file__).resolve().parents[2]
SITE = pathlib.Path(os.environ.get("FCLIMITS_SITE", ROOT / "build-wasm" / "web"))


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".mjs": "text/javascript", ".wasm": "application/wasm"}

    def log_message(self, *args):
        pass


@pytest.fixture(scope="session")
def site_url():
    assert (SITE / "index.html").is_file(), f"no site in {SITE}: cmake --preset wasm first"
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(QuietHandler, directory=str(SITE)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    yield f"http://127.0.0.1:{server.server_port}/"
    server.shutdown()


@pytest.fixture(scope="session")
def browser():
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--window-size=1200,1400"):
        options.add_argument(argument)
    driver = webdriver.Chrome(options=options)
    driver.set_script_timeout(120)
    yield driver
    driver.quit()


@pytest.fixture
def page(browser, site_url):
    """Opens the page at a query ("?n=3&b=3") and returns a waiter for it."""
    def open_at(query=""):
        browser.get(site_url + query)
        return WebDriverWait(browser, 60)
    return open_at
