#!/usr/bin/env bash
# The programs of the package, extracted with dpkg -x (never installed): stripped, without a
# path of the source or build tree and without RPATH/RUNPATH; they run, find the packaged
# defaults relative to themselves, and the packaged varne downloads a report from the
# packaged simulator in an empty folder.
# Usage: package_programs.sh VERSION SOURCE_DIR BUILD_DIR   (PACKAGE_DIR set)
source "$(dirname "$0")/lib.sh"
version=$1
source_dir=$2
build_dir=$3
extract_package
root=$scratch/root
varne=$root/usr/bin/varne

for program in "$root/usr/bin/varne" "$root/usr/bin/orvex_report"; do
    name=$(basename "$program")
    file "$program" | grep -q ', stripped' || fail "$name is not stripped: $(file "$program")"
    readelf -S "$program" | grep -q '\.debug_' && fail "$name keeps debug sections"
    readelf -d "$program" | grep -E 'RPATH|RUNPATH' && fail "$name has an RPATH or RUNPATH"
    for tree in "$source_dir" "$build_dir"; do
        strings -a "$program" | grep -F -- "$tree" && fail "$name holds the path $tree"
    done
done

[ "$("$varne" --version)" = "varne $version" ] || fail "varne --version: $("$varne" --version)"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/orvex_report" --version | grep -qF "$version" ||
    fail "orvex_report --version does not say $version"
for page in varne orvex_report; do
    gzip -t "$root/usr/share/man/man1/$page.1.gz" || fail "$page.1.gz is no gzip file"
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH' || fail "$page.1 is no man page"
done

# The packaged simulator, and the packaged varne in an empty folder: no Configure/ there.
coproc simulator { exec "$varne" simulate --no-pace 2>"$scratch/simulator.log"; }
started_pids+=("$simulator_PID")
read -r -t 10 device <&"${simulator[0]}" || { cat "$scratch/simulator.log"; fail "the simulator did not start"; finish; }
mkdir "$scratch/empty"
(cd "$scratch/empty" && "$varne" get --port "$device" --no-open) || fail "varne get (txt) failed"
[ -s "$scratch/empty/Varne_Report/Varne_Report.txt" ] || fail "no text report"
ls "$scratch"/empty/Varne_Report/raw/*.bin >/dev/null || fail "no raw download kept"
# With --format docx, the Word report from the packaged template and label file: the empty
# folder has no Configure/, so varne takes the defaults beside it and says so.
(cd "$scratch/empty" && "$varne" get --port "$device" --no-open --format docx) 2>"$scratch/get-docx.log" ||
    { cat "$scratch/get-docx.log"; fail "varne get --format docx failed in an empty folder"; }
docx=$(ls "$scratch"/empty/Varne_Report/Varne_Report_*.docx 2>/dev/null | head -n 1)
if [ -z "$docx" ]; then
    fail "no Word report"
else
    unzip -p "$docx" word/document.xml | grep -q 'Pick Up' || fail "the Word report lacks the tests"
fi
grep -qF "$root/usr/share/varne-report/Configure" "$scratch/get-docx.log" ||
    fail "varne get did not name the packaged defaults: $(cat "$scratch/get-docx.log")"
[ ! -e "$scratch/empty/Configure" ] || fail "varne get made a Configure/ folder"

# The dialog seeds a new work folder from the packaged defaults beside it.
work="$scratch/Varne Report"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/orvex_report" --workdir "$work" >"$scratch/dialog.log" 2>&1 &
started_pids+=($!)
seeded() {
    local name
    for name in Varne_Report.docx Varne_wordlabel.abl; do
        cmp -s "$work/Configure/$name" "$root/usr/share/varne-report/Configure/$name" || return 1
    done
}
for _ in $(seq 100); do
    seeded && break
    sleep 0.1
done
seeded || { cat "$scratch/dialog.log"; fail "orvex_report --workdir did not copy the packaged defaults"; }
finish
