#!/usr/bin/env bash
# Every command that `varne --help` lists and every option that a command's --help lists (and
# each option of `orvex_report --help`) has an entry in the man page (a line starting with the
# option in bold, in that command's own section) and is offered by the bash completion, which
# offers no option or command that is gone.
# A new command or option fails here until res/man/*.scd and res/completion/varne.bash have it.
# Usage: docs_cover_options.sh VARNE ORVEX_REPORT SOURCE_ROOT
set -uo pipefail
varne=$1
orvex=$2
root=$3
varne_man=$root/res/man/varne.1.scd
orvex_man=$root/res/man/orvex_report.1.scd
completion=$root/res/completion/varne.bash

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The options of a --help text: its lines "  -h, --help  ..." and "  --port <P>  ..." (two
# spaces, then the option: wrapped descriptions are indented further).
options_of() {
    sed -n 's/^  \(-[^ ].*\)$/\1/p' | sed 's/   .*//; s/ <[^>]*>//g; s/,/ /g' | tr ' ' '\n' |
        grep -E '^--?[A-Za-z0-9]' | sort -u
}

# The lines of man page section "## TITLE" of an scdoc source, up to the next heading.
man_section() {
    awk -v title="$2" '/^#/ { inside = ($0 == "## " title) } inside' "$1"
}

# What the completion offers for the words given (the last one being completed).
complete_words() {
    bash -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _varne
        printf "%s\n" "${COMPREPLY[@]}"' complete "$completion" "$@" | sort -u
}

# $1 what, $2 the expected words, $3 the words offered: both ways.
same_words() {
    local missing extra
    missing=$(comm -23 <(printf '%s\n' "$2" | sed '/^$/d') <(printf '%s\n' "$3" | sed '/^$/d'))
    extra=$(comm -13 <(printf '%s\n' "$2" | sed '/^$/d') <(printf '%s\n' "$3" | sed '/^$/d'))
    [ -z "$missing" ] || fail "$1: the completion does not offer:" $missing
    [ -z "$extra" ] || fail "$1: the completion offers what --help does not list:" $extra
}

top_help=$("$varne" --help) || fail "varne --help failed"
commands=$(printf '%s\n' "$top_help" | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }' | sort -u)
[ -n "$commands" ] || fail "no commands found in varne --help"

same_words "varne COMMAND" "$(printf '%s\nhelp\n' "$commands" | sort -u)" "$(complete_words varne "")"
for option in --help --version; do
    grep -q -- "$option" <<<"$top_help" || fail "varne --help does not mention $option"
    awk '/^# / { inside = ($0 == "# OPTIONS") } inside' "$varne_man" | grep -E '^\*-' |
        grep -qF -- "*$option*" ||
        fail "varne.1: the top-level option $option is not in OPTIONS"
done
same_words "varne -" "$(printf '%s\n' -h --help -v --version | sort -u)" "$(complete_words varne -)"

for command in $commands; do
    help=$("$varne" "$command" --help) || fail "varne $command --help failed"
    options=$(options_of <<<"$help")
    [ -n "$options" ] || fail "varne $command --help lists no option"
    section=$(man_section "$varne_man" "varne $command")
    if [ -z "$section" ]; then
        fail "varne.1 has no section '## varne $command'"
    fi
    for option in $options; do
        grep -E '^\*-' <<<"$section" | grep -qF -- "*$option*" ||
            fail "varne.1, section 'varne $command': no entry for $option (a line *$option* ...)"
    done
    same_words "varne $command -" "$options" "$(complete_words varne "$command" -)"
done

orvex_options=$(QT_QPA_PLATFORM=offscreen "$orvex" --help | options_of)
[ -n "$orvex_options" ] || fail "orvex_report --help lists no option"
for option in $orvex_options; do
    grep -E '^\*-' "$orvex_man" | grep -qF -- "*$option*" ||
        fail "orvex_report.1: no entry for $option (a line *$option* ...)"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures problem(s): add new commands and options to res/man/*.scd and res/completion/varne.bash"
    exit 1
fi
echo "man pages and completion cover $(wc -w <<<"$commands") commands and their options"
