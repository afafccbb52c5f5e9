# The staged install holds exactly the programs, the window's late library and the desktop files, which the freedesktop
# validators accept and which name each other consistently.
# usage: test_installed_files.sh BUILD_DIR WORK_DIR PROJECT_VERSION LIBDIR
source "$(dirname "$0")/common.sh"
build=$1 work=$2 version=$3 libdir=$4
need desktop-file-validate desktop-file-utils
need appstreamcli appstream

root=$work/root
stage_install "$build" "$root"
file_list "$root" >"$work/files.txt"
expected_files "$libdir" "$work/expected.txt"
same_files "installed files" "$work/expected.txt" "$work/files.txt"
for program in kestrova kestrova-cli; do
    [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is not executable"
done

# Each bitmap is a PNG of the size its folder promises the icon theme.
for png in "$root"/usr/share/icons/hicolor/*x*/apps/kestrova.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
    # IHDR: width and height as big-endian 32-bit numbers at bytes 16 and 20.
    read -r width height < <(od -An -j16 -N8 -tu1 "$png" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}, not $size"
done

desktop=$root/usr/share/applications/kestrova.desktop
metainfo=$root/usr/share/metainfo/org.orvanta.Kestrova.metainfo.xml
mime=$root/usr/share/mime/packages/kestrova.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects kestrova.desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
# The tree check also finds the desktop entry that the metainfo launches.
appstreamcli validate-tree --no-net "$root/usr" || fail "appstreamcli rejects the installed tree"

# The names that tie the files together: the menu entry starts an installed program with the
# file, shows an installed icon, opens the type that the MIME file declares, and the software
# centre lists the release that the package carries.
exec_line=$(desktop_value "$desktop" Exec)
[ "$exec_line" = "kestrova %f" ] || fail "Exec is '$exec_line'"
[ -x "$root/usr/bin/${exec_line%% *}" ] || fail "Exec names no installed program"
icon=$(desktop_value "$desktop" Icon)
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon '$icon' is not installed"
grep -q "<icon name=\"$icon\"/>" "$mime" || fail "the diary type shows another icon than the program"
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime")
[ "$type" = application/x-kestrova-diary ] || fail "the MIME file declares '$type'"
[ "$(desktop_value "$desktop" MimeType)" = "$type;" ] || fail "MimeType does not name $type"
grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "the metainfo does not provide $type"
grep -q '<glob pattern="\*\.Kestrova"/>' "$mime" || fail "the diary type has no *.Kestrova glob"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo lists no release $version"
echo "installed files, validators and names: ok"
