#!/bin/sh
# Installs the Debian package on this machine, uses it as a user would and
# removes it again:
#
#   sudo sh scripts/try-package.sh [PACKAGE.deb] [BUILD_DIR]
#
# 1. dpkg -i of PACKAGE (default: the newest build/tarvenly-desktop_*_amd64.deb
#    of `make package`);
# 2. in a throw-away home with the demo Palm Desktop (BUILD_DIR's
#    tvpalmsetup), TvDesk started by the menu entry's Exec line under
#    xvfb-run: it opens the demo user's data and, on this first start, offers
#    to register the notifier, which is accepted with xdotool;
# 3. a HotSync (BUILD_DIR's tvhotsync) through the registered notifier: the
#    running TvDesk saves and reads the data again;
# 4. `tvtool --version` and `man tvtool`;
# 5. the package's TvUnInstall, which removes the user's registrations and
#    leaves the package's files;
# 6. apt-get remove: none of the package's files stay, the user's data and
#    settings do.
# Prints each step and exits 1 at the first that fails. Needs root, xvfb-run,
# xdotool and man (scripts/install-deps.sh installs them). The package is
# removed at the end even if it was installed before; after a failure it
# stays installed for a look (dpkg -r tarvenly-desktop removes it).

set -eu

deb=${1:-$(ls -t build/tarvenly-desktop_*_amd64.deb 2>/dev/null | head -n 1)}
build=${2:-build}
name=tarvenly-desktop
desktop_entry=/usr/share/applications/com.tarvenly.TvDesk.desktop

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() {
    echo "== $*"
}

[ "$(id -u)" -eq 0 ] || fail "run as root (dpkg -i and apt-get remove)"
[ -n "$deb" ] && [ -f "$deb" ] || fail "no package (run make package, or pass its path)"
for tool in xvfb-run xdotool man; do
    command -v "$tool" >/dev/null || fail "$tool is missing (sh scripts/install-deps.sh)"
done
[ -x "$build/palmdesktop/tvpalmsetup" ] && [ -x "$build/palmdesktop/tvhotsync" ] ||
    fail "no tvpalmsetup and tvhotsync in $build/palmdesktop (make build)"
build=$(cd "$build" && pwd)

home=$(mktemp -d "${TMPDIR:-/tmp}/tv-package-home.XXXXXX")
desk_pid=
cleanup() {
    [ -z "$desk_pid" ] || kill "$desk_pid" 2>/dev/null || true
    [ -n "${TV_KEEP_HOME:-}" ] || rm -rf -- "$home"
}
trap cleanup EXIT
export HOME="$home/home" XDG_RUNTIME_DIR="$home/runtime"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

step "dpkg -i $deb"
dpkg -i "$deb"
files=$(dpkg-query -L "$name")
for program in TvDesk tvtool; do
    [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
done

step "demo Palm Desktop in a throw-away home"
"$build/palmdesktop/tvpalmsetup"
palm="$HOME/.local/share/Palm Desktop"
data="$palm/Demo/Tarvenly/TvData.tv"
palm_conf="$HOME/.config/U.S. Robotics/Pilot Desktop.conf"
[ -f "$data" ] || fail "tvpalmsetup made no demo data"

step "TvDesk from the menu entry's Exec line, accepting the registration offer"
# The Exec line without its field code (%f: no file given).
exec_line=$(sed -n 's/^Exec=//p' "$desktop_entry" | head -n 1 | sed 's/ *%[fFuU]//')
[ -n "$exec_line" ] || fail "no Exec line in $desktop_entry"
session="$home/session.sh"
cat >"$session" <<EOF
#!/bin/sh
$exec_line &
echo \$! >"$home/desk.pid"
# Waits for a window named \$1 and types \$2 into it.
answer() {
    for _ in \$(seq 100); do
        window=\$(xdotool search --onlyvisible --name "\$1" 2>/dev/null | tail -n 1)
        if [ -n "\$window" ]; then
            xdotool windowfocus --sync "\$window" key --clearmodifiers "\$2"
            return 0
        fi
        sleep 0.2
    done
    return 1
}
sleep 2
answer '^TvDesk\$' alt+y || exit 3
sleep 2
answer '^TvDesk\$' Return || exit 4
touch "$home/answered"
wait
EOF
xvfb-run -a sh "$session" >"$home/session.log" 2>&1 &
session_pid=$!
for _ in $(seq 200); do
    [ -e "$home/answered" ] && break
    sleep 0.2
done
desk_pid=$(cat "$home/desk.pid" 2>/dev/null || true)
grep -q "Notifier[0-9]*=$palm/libTvNotifier.so" "$palm_conf" ||
    fail "TvDesk did not register the notifier: $(cat "$home/session.log")"
[ -f "$palm/libTvNotifier.so" ] || fail "no notifier copied to $palm"

step "a HotSync through the registered notifier"
sync_log="$home/hotsync.log"
"$build/palmdesktop/tvhotsync" -- tvtool check "$data" >"$sync_log" 2>&1 ||
    fail "the HotSync failed: $(cat "$sync_log")"
grep -q "^trips" "$sync_log" || fail "the conduit did not read the data: $(cat "$sync_log")"
kill -TERM "$desk_pid"
status=0
wait "$session_pid" || status=$?
[ "$status" -eq 0 ] || fail "TvDesk did not end cleanly ($status): $(cat "$home/session.log")"
desk_pid=
trace="$HOME/.local/share/Brisklane/TvDesk/LogFile.txt"
grep -qF "$data" "$trace" || fail "TvDesk did not open the demo data (see its trace log)"
grep -q "ReloadDocument" "$trace" || fail "TvDesk did not read the data again after the HotSync"
[ -f "$HOME/.config/Brisklane/TvDesk.conf" ] || fail "TvDesk kept no settings"

step "tvtool --version and man tvtool"
tvtool --version | grep -q "^tvtool [0-9]" || fail "tvtool --version"
man -P cat tvtool 2>/dev/null | grep -q "tvtool" || fail "man tvtool shows no page"

step "the package's TvUnInstall"
library=$(dirname "$(printf '%s\n' "$files" | grep '/TvUnInstall$')")
"$library/TvUnInstall" --yes | tee "$home/uninstall.log"
grep -q "package $name" "$home/uninstall.log" || fail "TvUnInstall did not name the package"
! grep -q "libTvNotifier.so" "$palm_conf" || fail "the notifier is still registered"
[ ! -e "$palm/libTvNotifier.so" ] || fail "the notifier copy is still in $palm"
dpkg -V "$name" || fail "TvUnInstall changed the package's files"

step "apt-get remove $name"
apt-get remove -y -q "$name"
left=$(printf '%s\n' "$files" | while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then echo "$path"; fi
done)
[ -z "$left" ] || fail "files of the package left behind: $left"
[ ! -e "$library" ] || fail "$library left behind"
[ ! -e "/usr/share/doc/$name" ] || fail "/usr/share/doc/$name left behind"
[ -f "$data" ] && [ -f "$HOME/.config/Brisklane/TvDesk.conf" ] ||
    fail "the user's data or settings went with the package"
echo "PASS: installed, ran, registered, synced, unregistered and removed; user data kept"
