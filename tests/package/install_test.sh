#!/usr/bin/env bash
# Installs the Debian package, starts the installed program under Xvfb as a normal user, checks its
# main window and that its files land in the per-user folder, then removes the package again.
# Usage (as root): tests/package/install_test.sh build-package/qn740xtest_<version>_<arch>.deb
set -euo pipefail

[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: $0 <package.deb>" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "install_test: run as root (it installs the package)" >&2; exit 2; }
deb="$(realpath "$1")"
export DEBIAN_FRONTEND=noninteractive

fail() { echo "install_test: FAIL: $*" >&2; exit 1; }
step() { echo "install_test: $*"; }

work="$(mktemp -d)"
chmod 755 "$work"
home="$work/home"
user=""
cleanup() {
  if [ -n "$user" ]; then userdel -r "$user" >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

step "installing $deb"
apt-get install -y -q "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install"; }
installed=(/usr/bin/qn740xtest /usr/share/qn740xtest/INCLUDE/QnSel.INC
           /usr/lib/udev/rules.d/70-qn740xtest.rules /usr/share/applications/qn740xtest.desktop
           /usr/share/icons/hicolor/scalable/apps/qn740xtest.svg
           /usr/share/man/man1/qn740xtest.1.gz /usr/share/bash-completion/completions/qn740xtest
           /usr/share/doc/qn740xtest/copyright /usr/share/doc/qn740xtest/changelog.gz)
for f in "${installed[@]}"; do [ -f "$f" ] || fail "$f is not installed"; done
zcat /usr/share/man/man1/qn740xtest.1.gz | grep -q -- '--temperature-run' ||
  fail "the manual page does not name the forms"
bash -c 'source /usr/share/bash-completion/completions/qn740xtest && complete -p qn740xtest' \
  >/dev/null || fail "the bash completion does not complete qn740xtest"

# A normal user when one can be made, else this user with a temporary home.
as=()
candidate="qntest$$"
if useradd -m -d "$home" -s /bin/sh "$candidate" >/dev/null 2>&1; then
  user="$candidate"
  as=(runuser -u "$user" --)
  step "running as the user $user"
else
  mkdir -p "$home"
  step "no user could be made: running as $(id -un) with HOME=$home"
fi
run_as() { "${as[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

data="$home/.local/share/qn740xtest"
help="$(run_as /usr/bin/qn740xtest --help)" || fail "--help"
grep -qxF "Files: $data/; chip files: /usr/share/qn740xtest/INCLUDE" <<<"$help" ||
  fail "--help does not name the per-user and shared folders: $help"

# Starts the program, waits for its main window, then closes it with SIGTERM as a session end does.
cat >"$work/session.sh" <<'SESSION'
#!/bin/sh
/usr/bin/qn740xtest --simulate >"$HOME/program.log" 2>&1 &
pid=$!
tries=0
until xdotool search --name "Qn-740xTEST" >/dev/null 2>&1; do
  if ! kill -0 "$pid" 2>/dev/null; then echo "the program ended before its window showed" >&2; exit 1; fi
  tries=$((tries + 1))
  if [ "$tries" -gt 150 ]; then kill "$pid"; echo "no main window after 30 s" >&2; exit 1; fi
  sleep 0.2
done
echo "window: $(xdotool search --name "Qn-740xTEST" getwindowname | head -n 1)"
kill -TERM "$pid"
wait "$pid"
SESSION
chmod 755 "$work/session.sh"
step "starting the installed program under Xvfb"
run_as xvfb-run -a "$work/session.sh" || { cat "$home/program.log" >&2 || true; fail "the session"; }

for f in QnADC.cfg qn740xtest.wst; do
  [ -f "$data/$f" ] || fail "$f is not in the per-user folder $data: $(ls -A "$data" 2>&1)"
  if [ -n "$user" ]; then [ "$(stat -c %U "$data/$f")" = "$user" ] || fail "$f is not the user's"; fi
done
strays="$(find /usr/bin /usr/share/qn740xtest \( -iname QnADC.cfg -o -name qn740xtest.wst \) -print)"
[ -z "$strays" ] || fail "files written to the install folder: $strays"
step "files kept in $data: $(ls -A "$data" | tr '\n' ' ')"

step "removing the package"
apt-get remove -y -q qn740xtest >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get remove"; }
for f in "${installed[@]}"; do [ ! -e "$f" ] || fail "$f is still there after removal"; done
[ ! -e /usr/share/qn740xtest ] || fail "/usr/share/qn740xtest is still there after removal"
dpkg-query -W -f='${Status}' qn740xtest 2>/dev/null | grep -q "install ok installed" &&
  fail "the package is still installed"
dpkg --purge qn740xtest >/dev/null 2>&1 || true
step "passed"
