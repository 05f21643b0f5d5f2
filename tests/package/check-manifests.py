#!/usr/bin/env python3
"""Checks what the build wrote beside the packages, as a reviewer of a winget
or Scoop submission and a user checking a download would:

- SHA256SUMS lists the zip and the setup, in sha256sum's format, with their
  real checksums;
- the three winget files are valid against the published JSON schemas of
  manifest version 1.28.0 (in schemas/, read offline), agree with each other
  and with the files: version, the setup's checksum and name in its address,
  the installer's type, scope and silent switches;
- Scoop's hueglass.json has the keys Scoop needs, the zip's checksum and name,
  and names programs the zip holds; it keeps Hueglass.Settings, created beside
  the program on install, so the portable settings survive updates.

usage: check-manifests.py PACKAGE_DIR VERSION [SCHEMA_DIR]
"""
import hashlib
import json
import os
import re
import sys
import zipfile

import jsonschema
import yaml

PACKAGE_ID = "Brenmoor.Hueglass"
MANIFEST_VERSION = "1.28.0"


class Loader(yaml.SafeLoader):
    """YAML as winget reads it: a date such as 2026-01-31 stays text."""


Loader.yaml_implicit_resolvers = {
    first: [(tag, regexp) for tag, regexp in resolvers if tag != "tag:yaml.org,2002:timestamp"]
    for first, resolvers in yaml.SafeLoader.yaml_implicit_resolvers.items()
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def check_sums(folder, files):
    path = os.path.join(folder, "SHA256SUMS")
    if not check(os.path.isfile(path), "SHA256SUMS is missing"):
        return
    with open(path, "rb") as f:
        text = f.read().decode("ascii")
    listed = {}
    for line in text.splitlines():
        m = re.fullmatch(r"([0-9a-f]{64})  (\S+)", line)
        if check(m, f"SHA256SUMS: not in sha256sum's format: {line!r}"):
            listed[m.group(2)] = m.group(1)
    check(text.endswith("\n"), "SHA256SUMS: no line end after the last line")
    check(sorted(listed) == sorted(files), f"SHA256SUMS lists {sorted(listed)}, not {sorted(files)}")
    for name in files:
        if name in listed:
            check(listed[name] == sha256(os.path.join(folder, name)), f"SHA256SUMS: wrong checksum for {name}")


def load_yaml(path):
    with open(path, encoding="utf-8") as f:
        return yaml.load(f, Loader=Loader)


def check_winget(folder, version, schemas, setup):
    manifests = {}
    for kind, name in (("version", f"{PACKAGE_ID}.yaml"), ("installer", f"{PACKAGE_ID}.installer.yaml"),
                       ("defaultLocale", f"{PACKAGE_ID}.locale.en-US.yaml")):
        path = os.path.join(folder, "winget", name)
        if not check(os.path.isfile(path), f"winget: {name} is missing"):
            continue
        manifest = load_yaml(path)
        with open(os.path.join(schemas, f"manifest.{kind}.{MANIFEST_VERSION}.json"), encoding="utf-8") as f:
            schema = json.load(f)
        for error in jsonschema.Draft7Validator(schema).iter_errors(manifest):
            path_text = "/".join(str(p) for p in error.absolute_path)
            failures.append(f"winget {name}: {path_text}: {error.message}")
        check(manifest.get("ManifestType") == kind, f"winget {name}: ManifestType is not {kind}")
        check(manifest.get("ManifestVersion") == MANIFEST_VERSION, f"winget {name}: not ManifestVersion {MANIFEST_VERSION}")
        check(manifest.get("PackageIdentifier") == PACKAGE_ID, f"winget {name}: PackageIdentifier is not {PACKAGE_ID}")
        check(manifest.get("PackageVersion") == version, f"winget {name}: PackageVersion is not {version}")
        manifests[kind] = manifest
    if "installer" not in manifests:
        return
    installer = manifests["installer"]
    check(installer.get("InstallerType") == "nullsoft", "winget: InstallerType is not nullsoft")
    check(installer.get("Scope") == "user", "winget: Scope is not user")
    switches = installer.get("InstallerSwitches") or {}
    # NSIS's own switches: /S silent, /D= the folder (last, unquoted).
    check(switches.get("Silent") == "/S", "winget: the silent switch is not /S")
    check(switches.get("InstallLocation") == "/D=<INSTALLPATH>", "winget: the folder switch is not /D=<INSTALLPATH>")
    entries = installer.get("Installers") or []
    if check(len(entries) == 1, "winget: not exactly one installer"):
        entry = entries[0]
        check(entry.get("Architecture") == "x64", "winget: the installer is not for x64")
        check(entry.get("InstallerSha256") == sha256(os.path.join(folder, setup)).upper(),
              "winget: InstallerSha256 is not the setup's checksum")
        url = entry.get("InstallerUrl", "")
        check(url.startswith("https://") and url.endswith("/" + setup), f"winget: the address {url} is not the setup's")
    if "defaultLocale" in manifests:
        locale = manifests["defaultLocale"]
        check(locale.get("License") == "MIT", "winget: License is not MIT")
        check(locale.get("Publisher") == "Brenmoor", "winget: Publisher is not Brenmoor")
    if "version" in manifests:
        check(manifests["version"].get("DefaultLocale") == "en-US", "winget: DefaultLocale is not en-US")


def check_scoop(folder, version, zip_name):
    path = os.path.join(folder, "scoop", "hueglass.json")
    if not check(os.path.isfile(path), "scoop/hueglass.json is missing"):
        return
    try:
        with open(path, encoding="utf-8") as f:
            manifest = json.load(f)
    except ValueError as e:
        failures.append(f"scoop: not JSON: {e}")
        return
    # The keys Scoop needs to install it (and its buckets' checks want), with
    # their types.
    for key, kind in (("version", str), ("description", str), ("homepage", str), ("license", str),
                      ("url", str), ("hash", str), ("bin", str), ("shortcuts", list), ("persist", str),
                      ("pre_install", str)):
        check(isinstance(manifest.get(key), kind), f"scoop: no {key} ({kind.__name__})")
    check(manifest.get("version") == version, f"scoop: version is not {version}")
    check(manifest.get("hash") == sha256(os.path.join(folder, zip_name)), "scoop: hash is not the zip's checksum")
    url = manifest.get("url", "")
    check(isinstance(url, str) and url.startswith("https://") and url.endswith("/" + zip_name),
          f"scoop: the address {url} is not the zip's")
    with zipfile.ZipFile(os.path.join(folder, zip_name)) as archive:
        names = set(archive.namelist())
    check(manifest.get("bin") in names, f"scoop: bin {manifest.get('bin')} is not in the zip")
    for shortcut in manifest.get("shortcuts") or []:
        check(isinstance(shortcut, list) and len(shortcut) >= 2 and shortcut[0] in names,
              f"scoop: shortcut {shortcut} is not [program in the zip, name]")
    # Portable mode: the settings file beside the program, created when
    # missing (Scoop would otherwise persist a folder of that name).
    check(manifest.get("persist") == "Hueglass.Settings", "scoop: does not persist Hueglass.Settings")
    script = manifest.get("pre_install", "")
    check("Hueglass.Settings" in script and "New-Item" in script and "-ItemType File" in script,
          "scoop: pre_install does not create Hueglass.Settings as a file")


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    folder, version = sys.argv[1], sys.argv[2]
    schemas = sys.argv[3] if len(sys.argv) == 4 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "schemas")
    zip_name, setup = f"Hueglass-{version}-portable.zip", f"Hueglass-{version}-setup.exe"
    for name in (zip_name, setup):
        if not os.path.isfile(os.path.join(folder, name)):
            sys.exit(f"{name} is missing in {folder}: build the target packages first")
    check_sums(folder, [zip_name, setup])
    check_winget(folder, version, schemas, setup)
    check_scoop(folder, version, zip_name)
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print(f"SHA256SUMS, the winget manifests ({MANIFEST_VERSION}) and the Scoop manifest of {version} are valid")
    return 0


if __name__ == "__main__":
    sys.exit(main())
