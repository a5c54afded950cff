#!/usr/bin/env bash
# Checks the built manual page: groff formats it without a warning, and it names exactly the
# options the program's --help lists.
# Usage: manpage_test.sh build/packaging/qn740xtest.1 build/bin/qn740xtest
set -uo pipefail
page="$1" program="$2"

warnings="$(groff -man -ww -z "$page" 2>&1)"
[ -z "$warnings" ] || { echo "FAIL: groff warns about $page:"; echo "$warnings"; exit 1; }

# The options a text names: words starting with one or two dashes and a letter.
options() { grep -oE -- '(^|[^[:alnum:]-])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | LC_ALL=C sort -u; }
help_options="$("$program" --help | options)"
# Rendered as text; where groff shows a dash as a hyphen (U+2010), it is turned back.
page_options="$(groff -man -Tutf8 -rLL=300n -rHY=0 -P-cbou "$page" 2>/dev/null | sed 's/\xe2\x80\x90/-/g' | options)"
if [ "$help_options" != "$page_options" ]; then
    echo "FAIL: --help and the manual page name different options:"
    diff <(echo "$help_options") <(echo "$page_options") | sed -n 's/^</  only in --help:/p; s/^>/  only in the page:/p'
    exit 1
fi
echo "manpage: no groff warning; the options agree with --help"
