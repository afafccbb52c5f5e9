# Starts the window and waits until its late library shows in the process's memory map, which the
# window loads while idle after its first paint, then ends it. Fails when the library does not come
# within a minute (a library that cannot be loaded leaves an error box up instead), or comes from
# another file than expected: the program must find its own through its RUNPATH.
# usage: late_library_loads.sh PROGRAM EXPECTED_LIBRARY WORK_DIR
set -euo pipefail
program=$1 expected=$2 work=$3

fail() { echo "FAIL: $*" >&2; [ -f "$work/output.txt" ] && cat "$work/output.txt" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/home"
# Nothing of this machine's user: no last diary, no recovery copies, no settings.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache QT_QPA_PLATFORM=offscreen
unset LD_LIBRARY_PATH
"$program" >"$work/output.txt" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

mapped=""
for _ in $(seq 600); do
    # The state after the name: Z for a program that has ended and is not waited for yet.
    state=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1 || true)
    case $state in '' | Z) fail "$program ended before it loaded its library" ;; esac
    mapped=$(awk '$6 ~ /\/libkestrova-late\.so$/ { print $6; exit }' "/proc/$pid/maps" 2>/dev/null || true)
    [ -n "$mapped" ] && break
    sleep 0.1
done
[ -n "$mapped" ] || fail "$program did not load libkestrova-late.so within a minute"
[ "$(readlink -f "$mapped")" = "$(readlink -f "$expected")" ] || fail "$program loaded $mapped, not $expected"
echo "$program loaded $mapped: ok"
