#!/usr/bin/env bash
# Completes a few tarvoctl command lines with the given completion file, as bash would on Tab.
#
#   scripts/check-completion.sh FILE
source /usr/share/bash-completion/bash_completion
source "$1"

failures=0
# expect "REPLIES" WORD...: the last word is the one being completed.
expect() {
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    # compopt only works inside a real completion; its complaint here is noise.
    _tarvoctl tarvoctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    if [ "${COMPREPLY[*]}" != "$expected" ]; then
        echo "completing '$*': got '${COMPREPLY[*]}', expected '$expected'" >&2
        failures=$((failures + 1))
    fi
}

expect "set" tarvoctl se
expect "clear-flash" tarvoctl --json cl
expect "info" tarvoctl --virtual-wheel R-VELO inf
expect "ORBIX" tarvoctl --virtual-wheel OR
expect "200c" tarvoctl --virtual-wheel-pid 200c
expect "bite-point=" tarvoctl --save set bi
expect "left" tarvoctl set paddle=le
expect "on off" tarvoctl set clutch=
expect "leds led." tarvoctl get le
expect "--dry-run" tarvoctl restore --dry
expect "monitor" tarvoctl help mon
# Profile names after @, from a library of its own.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
mkdir -p "$XDG_CONFIG_HOME/Tarvo/profiles"
touch "$XDG_CONFIG_HOME/Tarvo/profiles/GT3.json" "$XDG_CONFIG_HOME/Tarvo/profiles/GT4 wet.json" \
    "$XDG_CONFIG_HOME/Tarvo/profiles/Rally.json"
expect "@GT3 @GT4 wet" tarvoctl restore @GT
expect "@Rally" tarvoctl --json backup @R
expect "profiles" tarvoctl pro
rm -r "$XDG_CONFIG_HOME"
exit $((failures > 0))
