#!/usr/bin/env python3
"""The HTML catalogue of `agatdisk index` in a real browser: headless Chromium, driven through
chromium-driver and Selenium, opens the index page from the file system, sorts it by a column,
opens the page of one image and the pages of its pictures, and reads back what it rendered.

    catalogue_browser_test.py AGATDISK MAKE_SAMPLES

Exits 77 (skipped) when Chromium, its driver or Selenium is missing."""
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77


def find_browser():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


def main(agatdisk, make_samples):
    browser, driver = find_browser(), shutil.which("chromedriver")
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        from selenium.webdriver.common.by import By
    except ImportError:
        browser = None
    if not browser or not driver:
        print("skipped: chromium, chromium-driver or python3-selenium is not installed")
        return SKIP

    work = tempfile.mkdtemp(prefix="agat-browser-")
    try:
        os.mkdir(os.path.join(work, "c"))
        subprocess.run([make_samples, os.path.join(work, "c")], check=True,
                       stdout=subprocess.DEVNULL)
        shutil.copy(os.path.join(work, "c", "demo140.dsk"), os.path.join(work, "c", 'x<&">.dsk'))
        done = subprocess.run([agatdisk, "index", "c", "--html", "site"], cwd=work,
                              capture_output=True, text=True)
        assert done.returncode == 0, done.stderr

        options = webdriver.ChromeOptions()
        options.binary_location = browser
        for argument in ("--headless", "--disable-gpu", "--allow-file-access-from-files"):
            options.add_argument(argument)
        if os.geteuid() == 0:
            options.add_argument("--no-sandbox")
        page = webdriver.Chrome(service=Service(driver), options=options)
        try:
            return check_pages(page, By, os.path.join(work, "site"))
        finally:
            page.quit()
    finally:
        shutil.rmtree(work, ignore_errors=True)


def column(page, By, n):
    return [row.find_elements(By.TAG_NAME, "td")[n].text
            for row in page.find_elements(By.CSS_SELECTOR, "tbody tr")]


def check_pages(page, By, site):
    page.get("file://" + os.path.join(site, "index.html"))
    text = page.find_element(By.TAG_NAME, "body").text
    # Six images: the five made and a copy under a name HTML would take for markup, shown as
    # it is.
    assert "Собрание образов" in text, text
    assert len(page.find_elements(By.CSS_SELECTOR, "tbody tr")) == 6, text
    assert 'c/x<&">.dsk' in column(page, By, 1), column(page, By, 1)
    assert "повреждён" not in text and "исправен" in text, text
    # A click on "Размер" sorts by size as numbers, a second click the other way round.
    heading = page.find_elements(By.TAG_NAME, "th")[3]
    heading.click()
    sizes = [int(s) for s in column(page, By, 3)]
    assert sizes == sorted(sizes), sizes
    heading.click()
    assert [int(s) for s in column(page, By, 3)] == sorted(sizes, reverse=True)

    page.find_element(By.LINK_TEXT, "c/demo140.dsk").click()
    text = page.find_element(By.TAG_NAME, "body").text
    for part in ("Образ c/demo140.dsk", "Том: ДЕМОНСТРАЦИОННЫЙ ДИСК", "Повреждений не найдено",
                 "ЧИТАЙ МЕНЯ", "КАРТИНКА", "КОЛЬЦА", "ИГРЫ"):
        assert part in text, (part, text)
    pictures = [a.get_attribute("href") for name in ("КАРТИНКА", "КОЛЬЦА")
                for a in page.find_elements(By.LINK_TEXT, name)]
    assert len(pictures) == 2, pictures
    for address in pictures:
        page.get(address)
        images = page.find_elements(By.TAG_NAME, "img")
        assert images, page.find_element(By.TAG_NAME, "body").text
        assert "Образ c/demo140.dsk" in page.find_element(By.TAG_NAME, "body").text
        for image in images:
            width = page.execute_script("return arguments[0].naturalWidth", image)
            assert width and width > 0, (address, image.get_attribute("src"))
    print("the catalogue renders: index sorted, image page read, %d pictures loaded" % len(pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
