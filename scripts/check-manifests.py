#!/usr/bin/env python3
"""Checks the winget and scoop manifests the build filled in (dist/winget,
dist/scoop) against the fields each format requires, and against the files
they describe: the version, and the SHA-256 of the installer and the zip.

  check-manifests.py DIST VERSION      prints one line a fault, exits 1 if any
"""
import hashlib
import json
import re
import sys
from pathlib import Path

import yaml

SHA256 = re.compile(r"^[0-9A-Fa-f]{64}$")
WINGET_COMMON = ["PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion"]
WINGET_REQUIRED = {
    "Welmark.Kivo.yaml": ("version", ["DefaultLocale"]),
    "Welmark.Kivo.installer.yaml": ("installer", ["Installers"]),
    "Welmark.Kivo.locale.en-US.yaml": (
        "defaultLocale", ["PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"]),
}
INSTALLER_TYPES = {"msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa", "portable"}
ARCHITECTURES = {"x86", "x64", "arm", "arm64", "neutral"}


def sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest().lower()


def check_winget(dist, version, faults):
    identities = set()
    for name, (kind, fields) in WINGET_REQUIRED.items():
        path = dist / "winget" / name
        try:
            doc = yaml.safe_load(path.read_text(encoding="utf-8"))
        except (OSError, yaml.YAMLError) as e:
            faults.append(f"{path}: {e}")
            continue
        for field in WINGET_COMMON + fields:
            if not doc.get(field):
                faults.append(f"{path}: no {field}")
        if doc.get("ManifestType") != kind:
            faults.append(f"{path}: ManifestType is {doc.get('ManifestType')!r}, not {kind!r}")
        if str(doc.get("PackageVersion")) != version:
            faults.append(f"{path}: PackageVersion {doc.get('PackageVersion')!r} is not {version}")
        identities.add((doc.get("PackageIdentifier"), str(doc.get("ManifestVersion"))))
        if kind != "installer":
            continue
        for installer in doc.get("Installers") or []:
            kind_of = installer.get("InstallerType", doc.get("InstallerType"))
            if kind_of not in INSTALLER_TYPES:
                faults.append(f"{path}: InstallerType {kind_of!r}")
            if installer.get("Architecture") not in ARCHITECTURES:
                faults.append(f"{path}: Architecture {installer.get('Architecture')!r}")
            url = installer.get("InstallerUrl", "")
            if not url.startswith("https://") or not url.endswith(f"kivo-{version}-setup.exe"):
                faults.append(f"{path}: InstallerUrl {url!r}")
            digest = str(installer.get("InstallerSha256", ""))
            setup = dist / f"kivo-{version}-setup.exe"
            if not SHA256.match(digest) or digest.lower() != sha256(setup):
                faults.append(f"{path}: InstallerSha256 is not the SHA-256 of {setup.name}")
    if len(identities) != 1:
        faults.append(f"{dist / 'winget'}: the manifests name different packages {sorted(identities)}")


def check_scoop(dist, version, faults):
    path = dist / "scoop" / "kivo.json"
    try:
        doc = json.loads(path.read_text(encoding="utf-8"))
    except (OSError, ValueError) as e:
        faults.append(f"{path}: {e}")
        return
    for field in ("version", "description", "homepage", "license"):
        if not doc.get(field):
            faults.append(f"{path}: no {field}")
    if doc.get("version") != version:
        faults.append(f"{path}: version {doc.get('version')!r} is not {version}")
    where = doc.get("architecture", {}).get("64bit", doc)
    url, digest = where.get("url", ""), where.get("hash", "")
    if not url.startswith("https://") or not url.endswith(f"kivo-{version}-win64.zip"):
        faults.append(f"{path}: url {url!r}")
    zip_file = dist / f"kivo-{version}-win64.zip"
    if not SHA256.match(digest) or digest.lower() != sha256(zip_file):
        faults.append(f"{path}: hash is not the SHA-256 of {zip_file.name}")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    dist, version = Path(sys.argv[1]), sys.argv[2]
    faults = []
    check_winget(dist, version, faults)
    check_scoop(dist, version, faults)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
