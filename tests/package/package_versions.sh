#!/usr/bin/env bash
# The package's changelog and the AppStream metainfo name the version being built, so a new
# version cannot ship with an old changelog entry.
# Usage: package_versions.sh SOURCE_ROOT VERSION DEBIAN_REVISION
set -uo pipefail
root=$1
version=$2
revision=$3
status=0
changelog=$(head -n 1 "$root/res/debian/changelog")
[ "$changelog" = "varne-report ($version-$revision) unstable; urgency=medium" ] || {
    echo "res/debian/changelog starts with '$changelog': add an entry for $version-$revision"
    status=1
}
release=$(grep -m 1 -o '<release version="[^"]*"' "$root/res/metainfo/org.example.varne_report.metainfo.xml")
[ "$release" = "<release version=\"$version\"" ] || {
    echo "the metainfo's newest release is $release: add $version to res/metainfo/"
    status=1
}
exit $status
