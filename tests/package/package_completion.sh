#!/usr/bin/env bash
# The packaged bash completion, sourced in a bash, completes commands, options and their values.
# Usage: package_completion.sh   (PACKAGE_DIR set)
source "$(dirname "$0")/lib.sh"
extract_package
completion=$scratch/root/usr/share/bash-completion/completions/varne

# What the completion offers for the words given (the last one being completed), one a line.
offers() {
    bash -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _varne
        printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" "$@" | sed '/^$/d' | sort
}
# $1: the words expected, one a line; the rest: the words typed.
expect() {
    local expected=$1
    shift
    local got
    got=$(offers "$@")
    [ "$got" = "$(printf '%s\n' "$expected" | sed '/^$/d' | sort)" ] ||
        fail "varne ${*@Q}: offered [$(echo $got)], expected [$(echo $expected)]"
}

bash -c 'source "$1" && complete -p varne' check "$completion" | grep -q -- '-F _varne varne' ||
    fail "sourcing the completion does not register it for varne"
expect get varne g
# Every command of the packaged varne, and "help".
commands=$("$scratch/root/usr/bin/varne" --help | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }')
expect "$(printf '%s\nhelp\n' "$commands")" varne ""
expect --format varne get --fo
expect $'txt\ndocx\npdf' varne get --format ""
expect docx varne get --format d
expect $'txt\ndocx\npdf' varne render --format ""
expect $'txt\ndocx\npdf' varne get --format =
expect $'csv\njson\npdf' varne export --format ""
expect --version varne --vers
expect --no-pace varne simulate --no
expect link-closed varne simulate --fault li
expect $'late=\nlink-closed' varne simulate --fault l
expect "" varne get --trace ""
# --port: the serial devices there are, and any path typed from /.
devices=$(for d in /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do if [ -e "$d" ]; then echo "$d"; fi; done)
expect "$devices" varne get --port ""
mkdir "$scratch/dev"
touch "$scratch/dev/ttyFAKE0"
expect "$scratch/dev/ttyFAKE0" varne get --port "$scratch/dev/tty"
# render's IMAGE is a file.
touch "$scratch/image.bin"
expect "$scratch/image.bin" varne render "$scratch/ima"
finish
