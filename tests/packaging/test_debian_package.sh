# cpack builds the Debian package of the built tree: the programs, the window's late library and
# the desktop files only, with the libraries they link (the late library's Qt Charts and Qt Print
# Support included) among its dependencies.
# usage: test_debian_package.sh BUILD_DIR WORK_DIR LIBDIR
source "$(dirname "$0")/common.sh"
build=$1 work=$2 libdir=$3
need dpkg-deb dpkg
need dpkg-shlibdeps dpkg-dev
need file file

rm -rf "$work"
mkdir -p "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/kestrova_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one kestrova_*.deb, found: ${debs[*]}"
deb=${debs[0]}

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
# The package names alone, without versions or alternatives' bars.
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libqt6printsupport6 libjpeg62-turbo; do
    grep -Fxq "$library" <<<"$names" || fail "Depends lacks $library"
done
[ "$(dpkg-deb --field "$deb" Package)" = kestrova ] || fail "the package is not named kestrova"

dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | LC_ALL=C sort >"$work/files.txt"
expected_files "$libdir" "$work/expected.txt"
same_files "packaged files" "$work/expected.txt" "$work/files.txt"

# The package's program, stripped as shipped, still finds and loads its library.
dpkg-deb -x "$deb" "$work/root"
installed_program_loads_late_library "$work/root" "$libdir" "$work/run"
echo "Debian package: ok"
