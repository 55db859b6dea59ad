#!/usr/bin/env bash
# lintian finds no error in the package; its warnings and notes are printed.
# Usage: package_lintian.sh   (PACKAGE_DIR set)
source "$(dirname "$0")/lib.sh"
lintian --version
# As root, lintian says so on standard error; that is no finding.
lintian --fail-on error --display-info --no-tag-display-limit "$deb" || fail "lintian reports errors"
finish
