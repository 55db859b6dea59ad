# Shared by the package tests: the package that the varne_package fixture packed, a temporary
# folder removed at exit, and the package extracted into it.
# Needs PACKAGE_DIR (build/package) in the environment.
set -euo pipefail

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures problem(s)"
        exit 1
    fi
    echo "ok"
}

shopt -s nullglob
debs=("$PACKAGE_DIR"/varne-report_*.deb)
shopt -u nullglob
if [ ${#debs[@]} -ne 1 ]; then
    echo "expected one varne-report_*.deb in $PACKAGE_DIR, found ${#debs[@]}" >&2
    exit 1
fi
deb=${debs[0]}

scratch=$(mktemp -d)
# Processes a test started, stopped at exit before the folder goes.
started_pids=()
cleanup_scratch() {
    local pid
    for pid in "${started_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap cleanup_scratch EXIT

# The package's files below $scratch/root, its control files below $scratch/control.
extract_package() {
    dpkg-deb -x "$deb" "$scratch/root"
    dpkg-deb -e "$deb" "$scratch/control"
}
