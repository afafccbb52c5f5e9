#!/usr/bin/env bash
# Set-up, build, run and test for a fresh Debian 12 machine (run as root, or with sudo available).
#   scripts/kestrova.sh run          install what is missing, build, start the program
#   scripts/kestrova.sh test         install, build, run the whole test suite through ctest
#   scripts/kestrova.sh sanitize     the test suite built with AddressSanitizer and UBSan
#   scripts/kestrova.sh fuzz [SECS]  build the fuzzers with clang and run them (the reader SECS, default 60 s)
#   scripts/kestrova.sh bench        build and run the benchmarks
#   scripts/kestrova.sh package      build the Debian package build-package/kestrova_VERSION_ARCH.deb
set -euo pipefail
cd "$(dirname "$0")/.."

# qt6-base-dev brings Qt6::PrintSupport for the health report as well; poppler-utils lets its tests
# read the PDF back (pdftotext, pdfinfo, pdftoppm).
PACKAGES=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libjpeg62-turbo-dev libsodium-dev libxxhash-dev
          libbenchmark-dev clang libclang-rt-14-dev
          xvfb xauth xdotool fonts-dejavu-core fonts-liberation2
          librsvg2-bin
          desktop-file-utils appstream xdg-utils shared-mime-info libglib2.0-bin dpkg-dev file
          poppler-utils)

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

JOBS=$(nproc 2>/dev/null || echo 2)

build() { # build DIR [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$JOBS"
}

cmd=${1:-test}
case "$cmd" in
run)
    install_packages
    build build
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found: starting Kestrova under a virtual X server." >&2
        exec xvfb-run -a ./build/src/app/kestrova "${@:2}"
    fi
    exec ./build/src/app/kestrova "${@:2}"
    ;;
test)
    install_packages
    build build
    # The packaging tools were installed above: a missing one fails its test instead of skipping it.
    KESTROVA_PACKAGING_TOOLS=required ctest --test-dir build --output-on-failure -j "$JOBS"
    ;;
sanitize)
    install_packages
    build build-asan -DKESTROVA_SANITIZE=ON -DKESTROVA_BUILD_BENCH=OFF
    # Packaging a sanitizer build checks nothing that the normal test run does not.
    # The end-to-end tests run the real program on an X display, where Qt's D-Bus connection keeps
    # a buffer of libdbus's own until exit; the suppressions name system libraries only.
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j "$JOBS" -LE packaging
    ;;
fuzz)
    install_packages
    seconds=${2:-60}
    CC=clang CXX=clang++ build build-fuzz -DKESTROVA_BUILD_FUZZ=ON -DKESTROVA_BUILD_TESTS=OFF \
        -DKESTROVA_BUILD_BENCH=OFF -DKESTROVA_BUILD_GUI=OFF
    mkdir -p build-fuzz/corpus build-fuzz/import-corpus build-fuzz/jpeg-corpus build-fuzz/container-corpus
    ./build-fuzz/fuzz/fuzz_diary_reader -max_total_time="$seconds" -rss_limit_mb=2048 \
        build-fuzz/corpus fuzz/corpus
    # The import reads text a user hands it; half the time again is enough for its smaller grammar.
    ./build-fuzz/fuzz/fuzz_task_import -max_total_time="$(( (seconds + 1) / 2 ))" -rss_limit_mb=2048 \
        build-fuzz/import-corpus fuzz/import-corpus
    # The picture decoder reads bytes from any file the user picks or any damaged diary; the library
    # underneath is fuzzed by its makers, so half the time checks the wrapping: limits, errors, scales.
    ./build-fuzz/fuzz/fuzz_jpeg_decoder -max_total_time="$(( (seconds + 1) / 2 ))" -rss_limit_mb=2048 \
        build-fuzz/jpeg-corpus fuzz/jpeg-corpus
    # The encrypted container's reader sees every byte of a file before anything is decrypted.
    ./build-fuzz/fuzz/fuzz_diary_container -max_total_time="$(( (seconds + 1) / 2 ))" -rss_limit_mb=2048 \
        build-fuzz/container-corpus fuzz/container-corpus
    ;;
bench)
    install_packages
    build build-bench -DCMAKE_BUILD_TYPE=Release -DKESTROVA_BUILD_TESTS=OFF
    # The start-up benchmark shows real windows: without a display it gets a virtual X server.
    xvfb=()
    if [ -z "${DISPLAY:-}" ]; then xvfb=(xvfb-run -a); fi
    for b in build-bench/bench/bench_*; do
        if [ -f "$b" ] && [ -x "$b" ]; then "${xvfb[@]}" "$b" "${@:2}"; fi
    done
    ;;
package)
    install_packages
    # An optimised build of the programs alone; the package takes what `cmake --install` installs.
    build build-package -DCMAKE_BUILD_TYPE=Release -DKESTROVA_BUILD_TESTS=OFF -DKESTROVA_BUILD_BENCH=OFF
    rm -f build-package/kestrova_*.deb # one package to install, not also those of older versions
    (cd build-package && cpack -G DEB)
    ls -l build-package/kestrova_*.deb
    ;;
*)
    echo "usage: $0 run|test|sanitize|fuzz [SECONDS]|bench|package" >&2
    exit 2
    ;;
esac
