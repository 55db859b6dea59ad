# bash completion for varne, the command-line tool of the Varne relay tester report
# Installed as /usr/share/bash-completion/completions/varne; needs nothing but bash.

# The commands of varne, and the options of each (every option its --help lists).
_varne_commands="get import history export ports render simulate help"
_varne_top_options="-h --help -v --version"
_varne_options_get="-h --help --help-all --version --port --format --faithful --no-open --trace --library"
_varne_options_import="-h --help --help-all --version --handshake --library"
_varne_options_history="-h --help --help-all --version --since --until --kind --new --limit --library"
_varne_options_export="-h --help --help-all --version --format --since --until --kind --new --limit --output --library"
_varne_options_ports="-h --help --help-all --version --verbose"
_varne_options_render="-h --help --help-all --version --handshake --format --output"
_varne_options_simulate="-h --help --version --image --handshake --fault --no-pace"

# The serial devices a tester shows up as.
_varne_serial_devices() {
    local device
    for device in /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do
        if [ -e "$device" ]; then
            printf '%s\n' "$device"
        fi
    done
}

# Values of an option of a command that takes one; returns 1 for an option without a value.
_varne_option_values() {
    local command=$1 option=$2 cur=$3
    case "$command $option" in
    "get --format" | "render --format")
        mapfile -t COMPREPLY < <(compgen -W "txt docx pdf" -- "$cur")
        ;;
    "export --format")
        mapfile -t COMPREPLY < <(compgen -W "csv json pdf" -- "$cur")
        ;;
    *" --since" | *" --until" | *" --kind" | *" --limit")
        COMPREPLY=()
        ;;
    *" --library")
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
    *" --port")
        mapfile -t COMPREPLY < <(compgen -W "$(_varne_serial_devices)" -- "$cur")
        # A device typed by hand, such as the simulator's /dev/pts/N.
        if [ "${cur:0:1}" = / ]; then
            local paths
            mapfile -t paths < <(compgen -f -- "$cur")
            COMPREPLY+=("${paths[@]}")
        fi
        ;;
    *" --fault")
        mapfile -t COMPREPLY < <(compgen -W "none no-reply bad-checksum split-reply short-image oversize-reply link-closed late= pause=" -- "$cur")
        # late= and pause= want their seconds typed right after the sign.
        if [ "${#COMPREPLY[@]}" -eq 1 ] && [ "${COMPREPLY[0]: -1}" = = ]; then
            compopt -o nospace 2>/dev/null || true
        fi
        ;;
    *" --handshake")
        COMPREPLY=()
        ;;
    *" --image" | *" --output")
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
    *)
        return 1
        ;;
    esac
    return 0
}

_varne() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    [ "$COMP_CWORD" -gt 0 ] && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # The command: the first word after varne that is not an option.
    local command= i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case "${COMP_WORDS[i]}" in
        -*) ;;
        *)
            command=${COMP_WORDS[i]}
            break
            ;;
        esac
    done

    if [ -z "$command" ]; then
        if [ "${cur:0:1}" = - ]; then
            mapfile -t COMPREPLY < <(compgen -W "$_varne_top_options" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$_varne_commands" -- "$cur")
        fi
        return 0
    fi

    # --option=value: bash splits it into --option, = and the value.
    if [ "$prev" = = ] && [ "$COMP_CWORD" -gt 1 ]; then
        _varne_option_values "$command" "${COMP_WORDS[COMP_CWORD - 2]}" "$cur" && return 0
    elif [ "$cur" = = ]; then
        _varne_option_values "$command" "$prev" "" && return 0
    else
        _varne_option_values "$command" "$prev" "$cur" && return 0
    fi

    local options_var="_varne_options_${command//-/_}"
    local options=${!options_var-}
    if [ "${cur:0:1}" = - ]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    elif [ "$command" = render ] || [ "$command" = import ]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
    return 0
}

complete -o filenames -F _varne varne
