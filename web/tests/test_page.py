"""The page in headless Chromium, as a user and a script use it, against
the native library's numbers."""
import math

import fclimits
import pytest
from selenium.webdriver.common.by import By

# Exact-mode edges computed with the browser's math library agree with the
# native ones within a few units in the last place, the console method's to
# the bit, the Gaussian limits within their promised 1e-12 (measured: 65
# units in the last place).
ULPS = 16
GAUSSIAN = 1e-13


def close(found, native, exact=True):
    if exact == "gaussian":
        return abs(found - native) <= GAUSSIAN * max(abs(native), 1e-2)
    if not exact:
        return found == native
    return abs(found - native) <= ULPS * math.ulp(max(abs(native), 1e-300))


def text(browser, element_id):
    return browser.find_element(By.ID, element_id).text


def shown_limits(browser, wait, rounded):
    """The limits shown once the rounded ones read `rounded`."""
    wait.until(lambda b: text(b, "rounded") == rounded)
    return float(text(browser, "lower")), float(text(browser, "upper"))


@pytest.mark.parametrize("query, native, exact", [
    ("?n=3&b=3&cl=0.9", fclimits.limits(3, 3.0, 0.9), True),
    ("?n=10&b=3&cl=0.6827&method=console", fclimits.limits(10, 3.0, 0.6827, method="console"), False),
    ("?n=1&b=0&cl=0.9&eff_sigma=0.2", fclimits.limits(1, 0.0, 0.9, eff_sigma=0.2), True),
    ("?n=4&b=2&cl=0.9&b_sigma=0.5&pdf=lognormal&ordering=profile",
     fclimits.limits(4, 2.0, 0.9, b_sigma=0.5, pdf="lognormal", ordering="profile"), True),
    ("?x=-1.5&sigma=1&cl=0.9", fclimits.gaussian_limits(-1.5, 1.0, 0.9), "gaussian"),
])
def test_a_link_shows_its_result(browser, page, query, native, exact):
    wait = page(query)
    rounded = f"[{native[0]:.2f}, {native[1]:.2f}]"
    lower, upper = shown_limits(browser, wait, rounded)
    assert close(lower, native[0], exact) and close(upper, native[1], exact)
    assert browser.current_url.endswith(query)


def test_typing_changes_the_limits_and_the_address(browser, page):
    wait = page("?n=3&b=3&cl=0.9")
    shown_limits(browser, wait, "[0.00, 4.42]")
    field = browser.find_element(By.ID, "n")
    field.clear()
    field.send_keys("5")
    native = fclimits.limits(5, 3.0, 0.9)
    lower, upper = shown_limits(browser, wait, f"[{native[0]:.2f}, {native[1]:.2f}]")
    assert close(lower, native[0]) and close(upper, native[1])
    browser.find_element(By.CSS_SELECTOR, '[data-cl="0.95"]').click()
    native = fclimits.limits(5, 3.0, 0.95)
    shown_limits(browser, wait, f"[{native[0]:.2f}, {native[1]:.2f}]")
    assert "n=5" in browser.current_url and "cl=0.95" in browser.current_url


@pytest.mark.parametrize("query, figures", [
    ("?n=3&b=3&cl=0.9", {"belt-picture": "rect.measured", "coverage-picture": "path.curve"}),
    ("?x=1.3&sigma=1&cl=0.9", {"belt-picture": "path.band"}),
])
def test_pictures_are_drawn(browser, page, query, figures):
    wait = page(query)
    for picture, shape in figures.items():
        wait.until(lambda b: b.find_elements(By.CSS_SELECTOR, f"#{picture} {shape}"))
        assert browser.find_element(By.CSS_SELECTOR, f"#{picture} title").get_attribute(
            "textContent").endswith("90 %")


@pytest.mark.parametrize("query, field, message", [
    ("?n=&b=3&cl=0.9", "n", "enter a number"),
    ("?n=2.5&b=3&cl=0.9", "n", "n = 2.5 is not a count"),
    ("?n=3&b=abc&cl=0.9", "b", '"abc" is not a number'),
    ("?n=3&b=-1&cl=0.9", "b", "b = -1 is not a background"),
    ("?n=3&b=3&cl=1.5", "cl", "cl = 1.5"),
    ("?n=3&b=3&cl=0.9&eff=2&eff_sigma=5", "eff_sigma", "eff_sigma = 5"),
    ("?n=3&b=3&cl=0.9&b_sigma=1&method=console", "method", "console has no uncertainties"),
    ("?x=1&sigma=0&cl=0.9", "sigma", "sigma = 0"),
])
def test_bad_input_gets_its_message_and_no_number(browser, page, query, field, message):
    wait = page(query)
    wait.until(lambda b: text(b, f"{field}-message"))
    assert text(browser, f"{field}-message").startswith(message)
    assert browser.find_element(By.ID, field).get_attribute("aria-invalid") == "true"
    assert text(browser, "rounded") == "—" and text(browser, "upper") == "—"


def test_a_table_of_1000_rows_arrives_complete_while_the_page_answers(browser, page):
    # An uncertain efficiency makes the table take seconds, long enough to
    # use the calculator meanwhile.
    wait = page("?n=3&b=0&cl=0.9&eff_sigma=0.2&table_n=0:19&table_b=0:24.5:0.5")
    shown_limits(browser, wait, "[{:.2f}, {:.2f}]".format(
        *fclimits.limits(3, 0.0, 0.9, eff_sigma=0.2)))
    browser.find_element(By.ID, "table-start").click()
    wait.until(lambda b: "of 1000 rows" in text(b, "table-status"))
    browser.find_element(By.CSS_SELECTOR, '[data-cl="0.95"]').click()
    wait.until(lambda b: text(b, "level-text") == "95 %" and text(b, "rounded") != "—")
    assert browser.find_element(By.ID, "table-stop").is_enabled(), "the table ended first"
    wait.until(lambda b: "1000 rows in" in text(b, "table-status"))
    assert len(browser.find_elements(By.CSS_SELECTOR, "#table-rows tbody tr")) == 1000
    csv = browser.execute_async_script(
        "fetch(document.getElementById('table-csv').href).then(r => r.text()).then(arguments[0])")
    lines = csv.splitlines()
    assert lines[0] == "n,b,cl,b_sigma,eff,eff_sigma,lower,upper" and len(lines) == 1001
    n, b, cl, *_, lower, upper = (float(v) for v in lines[-1].split(","))
    native = fclimits.limits(int(n), b, cl, eff_sigma=0.2)
    # The level the table began with, not the one clicked meanwhile.
    assert (n, b, cl) == (19, 24.5, 0.9) and close(lower, native[0]) and close(upper, native[1])


def api(browser, script):
    """The value of a window.fclimits expression, awaited."""
    return browser.execute_async_script(
        "const done = arguments[0]; (async () => " + script + ")()"
        ".then(done, e => done({error: e.name + ': ' + e.message}))")


def test_the_javascript_api_gives_the_native_numbers(browser, page):
    page("?n=3&b=3&cl=0.9").until(lambda b: b.execute_script("return !!window.fclimits"))
    checks = [
        ("fclimits.limits(3, 3, 0.9)", fclimits.limits(3, 3.0, 0.9), True),
        ("fclimits.limits(7, 2.5, 0.99, {method: 'console'})",
         fclimits.limits(7, 2.5, 0.99, method="console"), False),
        ("fclimits.limits(1, 0, 0.9, {eff_sigma: 0.2})", fclimits.limits(1, 0.0, 0.9, eff_sigma=0.2), True),
        ("fclimits.coverage([1, 2, 3.5], 3, 0.9)", fclimits.coverage([1, 2, 3.5], 3.0, 0.9), True),
        ("fclimits.sensitivity(3, 0.9)", [fclimits.sensitivity(3.0, 0.9)], True),
        ("fclimits.gaussian_limits(1.3)", fclimits.gaussian_limits(1.3), "gaussian"),
        ("fclimits.gaussian_acceptance(1)", fclimits.gaussian_acceptance(1.0), "gaussian"),
    ]
    for script, native, exact in checks:
        found = api(browser, script)
        values = found if isinstance(found, list) else (
            [found] if not isinstance(found, dict) else
            [found[k] for k in ("lower", "upper", "x_low", "x_high") if k in found])
        assert len(values) == len(native), script
        assert all(close(v, w, exact) for v, w in zip(values, native)), (script, values, list(native))
    region = api(browser, "fclimits.acceptance_region(2, 3, 0.9)")
    assert (region["n_low"], region["n_high"]) == fclimits.acceptance_region(2, 3.0, 0.9)[:2]
    assert api(browser, "fclimits.limits(2.5, 0, 0.9)") == {
        "error": "RangeError: fclimits: n = 2.5 is not a count: it must be a whole number from 0 to 2147483647"}
