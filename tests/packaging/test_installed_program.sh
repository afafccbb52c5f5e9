# The installed window finds its late library through a RUNPATH relative to itself, which names no
# folder of the build tree, and loads it from the install once it is up.
# usage: test_installed_program.sh BUILD_DIR WORK_DIR LIBDIR
source "$(dirname "$0")/common.sh"
build=$1 work=$2 libdir=$3
need readelf binutils

root=$work/root
stage_install "$build" "$root"
runpath=$(readelf -d "$root/usr/bin/kestrova" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$runpath" = "\$ORIGIN/../$libdir/kestrova" ] || fail "the installed program's RUNPATH is '$runpath'"
installed_program_loads_late_library "$root" "$libdir" "$work/run"
echo "installed program: ok"
