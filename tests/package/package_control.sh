#!/usr/bin/env bash
# The package's metadata (dpkg-deb -I), its file list (dpkg-deb -c) and its maintainer
# scripts, which never fail where udev is absent and reload udev where it runs.
# Usage: package_control.sh VERSION EXTRA_DEPENDS EXTRA_RECOMMENDS   (PACKAGE_DIR set)
source "$(dirname "$0")/lib.sh"
version=$1
extra_depends=$2
extra_recommends=$3

field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    local value
    value=$(field "$1")
    [ "$value" = "$2" ] || fail "$1 is '$value', expected '$2'"
}
# Each ", "-separated name of $3 is among the packages of field $1 (alternatives count).
expect_in_field() {
    local name value
    value=$(field "$1" | sed 's/([^)]*)//g; s/[|,]/\n/g; s/ //g')
    IFS=', ' read -r -a names <<<"$2"
    for name in "${names[@]}"; do
        [ -n "$name" ] || continue
        grep -qx -- "$name" <<<"$value" || fail "$1 lacks $name: $(field "$1")"
    done
}

dpkg-deb -I "$deb"
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "varne-report_${version}_${arch}.deb" ] ||
    fail "the package is named $(basename "$deb"), not varne-report_${version}_${arch}.deb"
expect_field Package varne-report
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section electronics
expect_field Priority optional
expect_field Maintainer "Varne Report Team <varne-report@example.org>"
expect_field Suggests libreoffice-writer
# dpkg-shlibdeps found the libraries the programs link.
expect_in_field Depends "libc6, libstdc++6, libqt6core6, libqt6gui6, libqt6widgets6, libqt6serialport6, libzip4, libpugixml1v5, $extra_depends"
expect_in_field Recommends "$extra_recommends"
[ "$(field Description | head -n 1)" = "report tool for Varne protection-relay test sets" ] ||
    fail "synopsis: $(field Description | head -n 1)"
[ "$(field Description | wc -l)" -gt 3 ] || fail "the description has no extended part"

listing=$(dpkg-deb -c "$deb")
echo "$listing"
files=$(awk '{ print $6 }' <<<"$listing" | sed 's|^\./|/|; s|/$||')
for path in \
    /usr/bin/varne \
    /usr/bin/orvex_report \
    /usr/share/varne-report/Configure/Varne_Report.docx \
    /usr/share/varne-report/Configure/Varne_wordlabel.abl \
    /usr/share/varne-report/Configure/Varne_Com.txt.example \
    /usr/share/applications/varne-report.desktop \
    /usr/share/icons/hicolor/256x256/apps/varne-report.png \
    /usr/share/icons/hicolor/64x64/apps/varne-report.png \
    /usr/share/metainfo/org.example.varne_report.metainfo.xml \
    /usr/lib/udev/rules.d/60-varne-tester.rules \
    /usr/share/man/man1/varne.1.gz \
    /usr/share/man/man1/orvex_report.1.gz \
    /usr/share/bash-completion/completions/varne \
    /usr/share/doc/varne-report/copyright \
    /usr/share/doc/varne-report/changelog.Debian.gz; do
    grep -qx -- "$path" <<<"$files" || fail "the package lacks $path"
done
grep -v -e '^/usr' -e '^$' <<<"$files" && fail "files outside /usr"
grep -q '^/usr/local' <<<"$files" && fail "files in /usr/local"
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' <<<"$listing" ||
    fail "files not owned by root/root"
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print; bad = 1 } END { exit bad }' <<<"$listing" ||
    fail "directories not 0755"
awk '$1 ~ /^-/ && $6 !~ /^\.\/usr\/bin\// && $1 != "-rw-r--r--" { print; bad = 1 } END { exit bad }' <<<"$listing" ||
    fail "data files not 0644"
awk '$6 ~ /^\.\/usr\/bin\/./ && $1 != "-rwxr-xr-x" { print; bad = 1 } END { exit bad }' <<<"$listing" ||
    fail "programs not 0755"

# The maintainer scripts: 0755, and harmless without udev, and with a udev that fails.
extract_package
for script in postinst postrm; do
    path=$scratch/control/$script
    [ -f "$path" ] || { fail "no $script"; continue; }
    [ "$(stat -c %a "$path")" = 755 ] || fail "$script is not 0755"
    grep -q '#DEBHELPER#' "$path" && fail "$script keeps the #DEBHELPER# token"
    head -n 1 "$path" | grep -qx '#!/bin/sh' || fail "$script is not a /bin/sh script"
    sh -n "$path" || fail "$script does not parse"
done
# No udevadm on the PATH (a chroot): nothing to do, no failure.
mkdir "$scratch/empty"
for args in "postinst configure" "postrm remove" "postrm purge"; do
    set -- $args
    PATH=$scratch/empty /bin/sh "$scratch/control/$1" "$2" || fail "$args fails without udevadm"
done
# A udevadm that fails every time: the scripts still succeed, and call it only where udev runs.
mkdir "$scratch/fakebin"
cat >"$scratch/fakebin/udevadm" <<EOF
#!/bin/sh
echo "\$*" >>"$scratch/udevadm.calls"
exit 1
EOF
chmod +x "$scratch/fakebin/udevadm"
for args in "postinst configure" "postrm remove"; do
    set -- $args
    PATH=$scratch/fakebin:$PATH /bin/sh "$scratch/control/$1" "$2" ||
        fail "$args fails when udevadm fails"
done
if [ -d /run/udev ]; then
    expected=$'control --reload-rules\ntrigger --subsystem-match=tty --action=change'
    expected=$(printf '%s\n%s\n' "$expected" "$expected")
    [ "$(cat "$scratch/udevadm.calls" 2>/dev/null)" = "$expected" ] ||
        fail "udevadm calls where udev runs: $(cat "$scratch/udevadm.calls" 2>/dev/null)"
else
    [ ! -e "$scratch/udevadm.calls" ] || fail "udevadm called where udev does not run"
fi
finish
