#!/usr/bin/env bash
# The bash completion of tarnel-cli, called the way bash calls it on TAB:
#   check-completion.sh COMPLETION_FILE
# Each case is a command line with the cursor at its end and the words it must complete to.
# The cases run in a plain bash and, where bash-completion is installed, once more with its
# helpers loaded, as an interactive shell would have them.
set -euo pipefail

completion=$(realpath "$1")
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ -f "$completion" ] || fail "no completion file $completion"

work=$(mktemp -d /tmp/tarnel-completion-XXXXXX)
trap 'rm -rf "$work"' EXIT

# A stand-in tarnel-cli whose "ports" lists two adapters as the real one does: name, tab, text.
mkdir "$work/bin"
cat >"$work/bin/tarnel-cli" <<'EOF'
#!/bin/sh
[ "$1" = ports ] || exit 2
printf '/dev/ttyFAKE0\tUSB serial adapter\n/dev/ttyFAKE1\tsecond adapter\n'
echo "a line on stderr that is not a port" >&2
EOF
chmod +x "$work/bin/tarnel-cli"
export PATH="$work/bin:$PATH"

# Files to complete: settings files are *.txt, and folders may hold more of them.
mkdir -p "$work/files/sub"
touch "$work/files/a.txt" "$work/files/b.ini" "$work/files/sub/c.txt"
cd "$work/files"

# The serial device files this machine has: a port is completed from them too.
serial=$(for dev in /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*; do
    if [ -e "$dev" ]; then echo "$dev"; fi
done | tr '\n' ' ')

# COMMAND LINE | WORDS OFFERED (in any order; nothing when empty). A line that ends with a space
# completes a new word.
cases=$(
    cat <<'EOF'
tarnel-cli |backups diff help ports read scan show version write
tarnel-cli wr|write
tarnel-cli -|--help --version
tarnel-cli --v|--version
tarnel-cli help |backups diff help ports read scan show version write
tarnel-cli help d|diff
tarnel-cli help read |
tarnel-cli version |
tarnel-cli bogus --|
tarnel-cli read --|--help --log --object --output --port --quiet --timeout --verbose
tarnel-cli show --|--help --log --object --port --quiet --timeout --verbose
tarnel-cli write --|--changed --help --keep-number --log --no-backup --object --port --quiet --timeout --verbose --verify
tarnel-cli diff --|--help --keep-number --log --object --port --quiet --timeout --verbose
tarnel-cli scan --|--help --log --port --quiet --timeout --verbose
tarnel-cli backups --|--help --object
tarnel-cli ports -|--help
tarnel-cli read -|-o -p -q -v --help --log --object --output --port --quiet --timeout --verbose
tarnel-cli write --ch|--changed
tarnel-cli read --ch|
tarnel-cli read --o|--object --output
tarnel-cli show --o|--object
tarnel-cli diff --ve|--verbose
tarnel-cli write a.txt --ve|--verbose --verify
tarnel-cli ports --p|
tarnel-cli ports -p |
tarnel-cli read --port /dev/ttyF|/dev/ttyFAKE0 /dev/ttyFAKE1
tarnel-cli read -p /dev/ttyFAKE1|/dev/ttyFAKE1
tarnel-cli show --port=/dev/ttyF|/dev/ttyFAKE0 /dev/ttyFAKE1
tarnel-cli write --port=|/dev/ttyFAKE0 /dev/ttyFAKE1 @serial@
tarnel-cli diff -p /dev/tty|/dev/ttyFAKE0 /dev/ttyFAKE1 @serial@
tarnel-cli read -o |
tarnel-cli read --object=|
tarnel-cli read --timeout 3|
tarnel-cli read --output |a.txt b.ini sub
tarnel-cli read --output=a|a.txt
tarnel-cli read --output - -|-o -p -q -v --help --log --object --output --port --quiet --timeout --verbose
tarnel-cli read |
tarnel-cli show |
tarnel-cli write |a.txt sub
tarnel-cli write s|sub
tarnel-cli write sub/|sub/c.txt
tarnel-cli diff -p /dev/ttyFAKE0 -o 7 |a.txt sub
tarnel-cli write --port=/dev/ttyFAKE0 --object=7 --changed |a.txt sub
tarnel-cli write a.txt |
tarnel-cli write - |
tarnel-cli diff --timeout 500 a.txt |
EOF
)

# Splits a command line into COMP_WORDS as readline does: at blanks, and with "=" a word of its
# own (it is in COMP_WORDBREAKS).
split_line() {
    local line=$1 token tokens
    words=()
    read -r -a tokens <<<"$line"
    for token in "${tokens[@]}"; do
        while [[ $token == *=* ]]; do
            [ -n "${token%%=*}" ] && words+=("${token%%=*}")
            words+=("=")
            token=${token#*=}
        done
        [ -n "$token" ] && words+=("$token")
    done
    [[ $line == *" " ]] && words+=("")
    return 0
}

run_cases() {
    local mode=$1 line expected wanted got failures=0
    while IFS='|' read -r line expected; do
        expected=${expected//@serial@/$serial}
        split_line "$line"
        COMP_WORDS=("${words[@]}")
        COMP_CWORD=$((${#words[@]} - 1))
        COMP_LINE=$line
        COMP_POINT=${#line}
        COMPREPLY=()
        _tarnel_cli tarnel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" ||
            true
        got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | tr '\n' ' ')
        read -r -a wanted <<<"$expected"
        expected=$(printf '%s\n' "${wanted[@]}" | sed '/^$/d' | LC_ALL=C sort | tr '\n' ' ')
        if [ "$got" != "$expected" ]; then
            echo "FAIL ($mode): '$line' completes to '${got% }', not '${expected% }'" >&2
            failures=$((failures + 1))
        fi
    done <<<"$cases"
    [ "$failures" -eq 0 ] || fail "$failures case(s) in $mode"
    echo "ok: $(wc -l <<<"$cases") cases in $mode"
}

# Each mode in a subshell of its own, so that bash-completion's helpers do not reach the plain one.
(
    set +eu
    # shellcheck source=/dev/null
    source "$completion"
    complete -p tarnel-cli | grep -q -- '-F _tarnel_cli' || fail "tarnel-cli has no completion"
    run_cases "plain bash"
)
helpers=/usr/share/bash-completion/bash_completion
if [ -f "$helpers" ]; then
    (
        set +eu
        # shellcheck source=/dev/null
        source "$helpers"
        declare -F _init_completion >/dev/null || fail "$helpers has no _init_completion"
        # shellcheck source=/dev/null
        source "$completion"
        run_cases "bash with bash-completion"
    )
else
    echo "skipped: bash with bash-completion ($helpers is not installed)"
fi
