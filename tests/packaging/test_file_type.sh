# With the installed MIME file in a private data folder, the desktop's own query names the diary
# type for a .Kestrova file and opens it with Kestrova; it claims no file by content alone.
# usage: test_file_type.sh BUILD_DIR WORK_DIR
source "$(dirname "$0")/common.sh"
build=$1 work=$2
need xdg-mime xdg-utils
need update-mime-database shared-mime-info
need update-desktop-database desktop-file-utils
need gio libglib2.0-bin

stage_install "$build" "$work/root"
data=$work/data
rm -rf "$data" "$work/home" "$work/files"
mkdir -p "$data/mime/packages" "$data/applications" "$work/home" "$work/files"
cp "$work/root/usr/share/mime/packages/kestrova.xml" "$data/mime/packages/"
cp "$work/root/usr/share/applications/kestrova.desktop" "$data/applications/"
update-mime-database "$data/mime"
update-desktop-database "$data/applications"

# Nothing of this machine's user, and a desktop named, so that xdg-mime asks the shared MIME
# database through gio (its generic path asks `file`, which knows no diaries); the local file
# system only, so that no session bus is needed.
export HOME=$work/home XDG_DATA_HOME=$data XDG_DATA_DIRS=/usr/local/share:/usr/share
export XDG_CONFIG_HOME=$work/home/.config XDG_CONFIG_DIRS=/etc/xdg XDG_CACHE_HOME=$work/home/.cache
export XDG_CURRENT_DESKTOP=GNOME GIO_USE_VFS=local

# An empty diary as the program writes it: version 10, an empty notice, no days.
diary_bytes() { printf '\x0a\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'; }
diary_bytes >"$work/files/My diary.Kestrova"
diary_bytes >"$work/files/old.kestrova"
diary_bytes >"$work/files/no-extension"
diary_bytes >"$work/files/notes.bin"

type_of() { xdg-mime query filetype "$work/files/$1"; }
expect=application/x-kestrova-diary
[ "$(type_of 'My diary.Kestrova')" = "$expect" ] || fail "'My diary.Kestrova' is '$(type_of 'My diary.Kestrova')'"
# Globs are matched without regard to case, as a copy from another system may be renamed.
[ "$(type_of old.kestrova)" = "$expect" ] || fail "old.kestrova is '$(type_of old.kestrova)'"
# No content rule: the same bytes under another name are not taken for a diary.
for other in no-extension notes.bin; do
    found=$(type_of "$other")
    [ -n "$found" ] || fail "no type at all for $other: the query did not work"
    [ "$found" != "$expect" ] || fail "$other is taken for a diary by its content"
done
default=$(xdg-mime query default "$expect")
[ "$default" = kestrova.desktop ] || fail "diaries open with '$default'"
echo "file type: ok"
