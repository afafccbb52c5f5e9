# Sourced by the packaging tests: the tool check, the staged install and the checks they share.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

# A missing tool skips the test (ctest's SKIP_RETURN_CODE) where nobody promised it, and fails it
# where the set-up installed the tools, so a package dropped from the set-up cannot pass as a skip.
need() { # COMMAND DEBIAN_PACKAGE
    command -v "$1" >/dev/null 2>&1 && return 0
    if [ "${KESTROVA_PACKAGING_TOOLS:-}" = required ]; then
        fail "$1 is missing (Debian package $2), though the set-up installs it"
    fi
    echo "SKIP: $1 is missing (Debian package $2)"
    exit 77
}

# Installs the build into a fresh staging root, as a package build does: DESTDIR under prefix /usr.
stage_install() { # BUILD_DIR ROOT
    rm -rf "$2"
    DESTDIR=$2 cmake --install "$1" --prefix /usr >/dev/null
}

# The files below ROOT, one relative path a line, sorted; directories left out.
file_list() { # ROOT
    (cd "$1" && find . -type f -o -type l) | sed 's|^\./||' | LC_ALL=C sort
}

# The files an install holds (installed-files.txt), with the library folder the build was
# configured with (CMAKE_INSTALL_LIBDIR) in place of @LIBDIR@.
expected_files() { # LIBDIR OUTPUT
    sed "s|@LIBDIR@|$1|" "$(dirname "${BASH_SOURCE[0]}")/installed-files.txt" >"$2"
}

# The installed window finds its late library in its own private folder and loads it after its
# first paint.
installed_program_loads_late_library() { # ROOT LIBDIR WORK_DIR
    bash "$(dirname "${BASH_SOURCE[0]}")/../app/late_library_loads.sh" "$1/usr/bin/kestrova" \
        "$1/usr/$2/kestrova/libkestrova-late.so" "$3"
}

# Compares a file list with the one expected, printing the difference.
same_files() { # WHAT EXPECTED_LIST ACTUAL_LIST
    local diff
    if ! diff=$(diff <(LC_ALL=C sort "$2") "$3"); then
        echo "$diff" >&2
        fail "$1 differ from the expected list (< expected, > found)"
    fi
}

# The value of KEY in a desktop entry's main group.
desktop_value() { # FILE KEY
    sed -n "s/^$2=//p" "$1" | head -n 1
}
