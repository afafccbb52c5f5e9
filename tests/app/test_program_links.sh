# The window links none of the libraries the late library holds it apart from: Qt Charts (and the
# OpenGL libraries it brings) and Qt Print Support. One include of their headers in the window's
# code would bring them back into every start without any other sign.
# usage: test_program_links.sh PROGRAM
set -euo pipefail
program=$1
needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || { echo "FAIL: readelf lists no library that $program needs" >&2; exit 1; }
late=$(grep -E '^libQt6(Charts|OpenGL|OpenGLWidgets|PrintSupport)\.so' <<<"$needed" || true)
if [ -n "$late" ]; then
    echo "FAIL: $program links what it should load late:" >&2
    echo "$late" >&2
    exit 1
fi
echo "$program links no chart, OpenGL or print library: ok"
