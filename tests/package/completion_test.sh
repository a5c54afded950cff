#!/usr/bin/env bash
# Sources the bash completion and checks what it offers for command lines typed so far.
# Usage: completion_test.sh packaging/qn740xtest.bash-completion
set -uo pipefail
# shellcheck source=packaging/qn740xtest.bash-completion
source "$1" || exit 1

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir lab && touch plan.txt noise.csv OLD.CSV notes.md

failures=0
# check "<words typed, the last being completed>" "<expected offers, sorted, space-separated>"
check() {
    read -r -a COMP_WORDS <<<"$1"
    [[ "$1" == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _qn740xtest
    local got
    got="$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | xargs)"
    if [ "$got" != "$2" ]; then
        echo "FAIL: '$1' offers '$got', expected '$2'"
        failures=$((failures + 1))
    fi
}

check "qn740xtest --" "--capture --help --noise-table --serve --simulate --simulate=all --simulate=board --simulate=lab --temperature-run --version"
check "qn740xtest --capture 100 --" "--avg --csv --help --ref --scale --simulate --simulate=all --simulate=board --simulate=lab"
check "qn740xtest --capture=100 --s" "--scale --simulate --simulate=all --simulate=board --simulate=lab"
check "qn740xtest --noise-table --" "--csv --help --inputs --rates --samples --simulate --simulate=all --simulate=board --simulate=lab"
check "qn740xtest --noise-table --capture 10 --r" "--rates"
check "qn740xtest --temperature-run plan.txt --" "--check --help --rebuild --resume --simulate --simulate=all --simulate=board --simulate=lab"
check "qn740xtest --simulate --temperature-run " "OLD.CSV lab noise.csv notes.md plan.txt"
check "qn740xtest --capture 10 --csv " "OLD.CSV lab noise.csv"
check "qn740xtest --capture 10 --csv = n" "noise.csv"
check "qn740xtest --simulate =" "all board lab"
check "qn740xtest --capture 10 --simulate = b" "board"
check "qn740xtest --simulate --t" "--temperature-run"
check "qn740xtest --capture " ""
check "qn740xtest --serve --" "--help --listen --port --simulate --simulate=all --simulate=board --simulate=lab"
check "qn740xtest --serve --capture 10 --s" "--scale --simulate --simulate=all --simulate=board --simulate=lab"
check "qn740xtest --serve --port " ""
check "qn740xtest --noise-table --rates " ""

[ "$failures" -eq 0 ] && echo "completion: all offers as expected"
exit "$failures"
