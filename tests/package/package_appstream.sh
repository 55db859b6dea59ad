#!/usr/bin/env bash
# The packaged AppStream metainfo validates without errors (offline), and the desktop entry it
# launches is in the package.
# Usage: package_appstream.sh   (PACKAGE_DIR set)
source "$(dirname "$0")/lib.sh"
extract_package
metainfo=$scratch/root/usr/share/metainfo/org.example.varne_report.metainfo.xml
appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate finds errors"
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -f "$scratch/root/usr/share/applications/$launchable" ] ||
    fail "the metainfo launches '$launchable', which the package lacks"
finish
