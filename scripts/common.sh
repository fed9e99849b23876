# Shared by scripts/demo.sh and scripts/test.sh: package installation, the
# three builds, and a quiet, unattended Wine for the Windows programs.
# Sourced, not run.

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build
JOBS=$(nproc 2>/dev/null || echo 2)
step="start"
wine_started=""

# Says which step failed, and always stops the wineserver this run started.
on_exit() {
    status=$?
    [ -z "$wine_started" ] || stop_wine
    [ "$status" -eq 0 ] || echo "FAILED (exit $status) while: $step" >&2
    exit "$status"
}
trap on_exit EXIT

# Installs the Debian packages that are not there yet.
ensure_packages() {
    step="installing packages"
    missing=""
    for package in "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
    done
    if [ -n "$missing" ]; then
        echo "== installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        # shellcheck disable=SC2086
        apt-get install -y -qq $missing >/dev/null
    fi
}

# What the shipped files need to build and to run: both compilers, Wine
# (32-bit Wine runs the 32-bit Windows build; it comes from the i386
# architecture, which must be known before the package lists are read), the
# type database that `lumbrasket init` reads, and the XML library the Linux
# tool edits the host's settings with (linked in statically).
ensure_ship_packages() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        apt-get update -qq
    fi
    ensure_packages cmake make g++ g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 \
        g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine64 wine32:i386 shared-mime-info \
        libpugixml-dev
}

# Everything the test command builds: the above, the test framework, clang's
# libFuzzer, the benchmark library, and the locale sources from which the
# Windows plugin tests build the Japanese locale of their code page 932 run.
ensure_build_packages() {
    ensure_ship_packages
    ensure_packages googletest clang libclang-rt-14-dev libbenchmark-dev locales
}

# The real host and what drives it headless; the install tests also take
# screenshots (imagemagick) and read the host's settings and the screenshots
# with python3.
ensure_host_packages() {
    ensure_packages xvfb doublecmd-gtk xdotool xclip x11-utils imagemagick python3
}

# build_tree NAME [CMAKE ARGUMENTS...]: configures and builds build/NAME (only
# the targets in TARGETS when it is set); the full log is build/NAME.log, and
# its end is shown when the build fails.
build_tree() {
    name=$1
    shift
    step="building $name"
    echo "== building $name"
    mkdir -p "$BUILD"
    log="$BUILD/$name.log"
    # shellcheck disable=SC2086
    if ! { cmake -S "$ROOT" -B "$BUILD/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" &&
        cmake --build "$BUILD/$name" -j "$JOBS" ${TARGETS:+--target $TARGETS}; } >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        return 1
    fi
}

# The three shipped trees. With SHIPPED_ONLY=yes they build what ships (the
# plugin, the tool and the archive) and configure no tests; otherwise every
# target, tests included. Either way the shipped files are built alike, so
# switching between the two rebuilds nothing of them.
tree_options() {
    if [ "${SHIPPED_ONLY:-}" = yes ]; then
        echo "-DLUMBRASKET_TESTS=OFF"
    else
        echo "-DLUMBRASKET_TESTS=ON"
    fi
}
shipped_targets() { [ "${SHIPPED_ONLY:-}" != yes ] || echo "lumbrasket_package"; }
build_linux() { TARGETS=$(shipped_targets) build_tree linux $(tree_options); }
# The 32-bit Windows build comes first: its plugin file goes into the 64-bit
# build's archive beside the 64-bit one.
build_windows32() {
    TARGETS=$(shipped_targets) build_tree windows32 $(tree_options) \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake"
}
build_windows() {
    build_windows32
    TARGETS=$(shipped_targets) build_tree windows $(tree_options) \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DLUMBRASKET_COMPANION_PLUGIN="$BUILD/windows32/plugin/package/Lumbrasket.wdx"
}
build_sanitized() { build_tree linux-sanitize -DLUMBRASKET_SANITIZE=ON; }
# The thread test under ThreadSanitizer: the plugin and its suite only.
build_thread_sanitized() {
    TARGETS=plugin_tests build_tree linux-thread -DLUMBRASKET_THREAD_SANITIZE=ON
}
# The fuzz targets, with clang's libFuzzer and its sanitizers.
build_fuzz() {
    TARGETS=fuzz_targets build_tree linux-fuzz -DLUMBRASKET_FUZZ=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}

# run_fuzz SECONDS: each fuzz target for that long, from its seed corpus
# (kept in the repository) and a working corpus under build/; any finding
# fails, and the input that found it is left in build/fuzz-findings.
run_fuzz() {
    step="fuzzing"
    mkdir -p "$BUILD/fuzz-findings"
    for target in ini groups bounded paths check pattern masks ini_lines; do
        echo "== fuzzing $target for $1 s"
        mkdir -p "$BUILD/fuzz-corpus/$target"
        "$BUILD/linux-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$1" -print_final_stats=0 \
            -artifact_prefix="$BUILD/fuzz-findings/$target-" \
            "$BUILD/fuzz-corpus/$target" "$ROOT/tests/fuzz/corpus/$target" \
            >"$BUILD/fuzz-$target.log" 2>&1 || {
            tail -n 30 "$BUILD/fuzz-$target.log" >&2
            return 1
        }
    done
}

# Wine with its own prefix under build/, no debug chatter and no add-on
# prompts; one wineserver stays up for the run so each program starts fast.
start_wine() {
    step="starting Wine"
    export WINEPREFIX="$BUILD/wine-prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # A prefix made before 32-bit Wine was installed stops working once it is
    # (for 64-bit programs too): one without its 32-bit system folder is made
    # anew.
    if [ -d "$WINEPREFIX/drive_c" ] && [ -z "$(ls "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ]; then
        echo "== remaking the Wine prefix, which predates 32-bit Wine"
        wineserver -k </dev/null >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    [ -d "$WINEPREFIX/drive_c" ] || echo "== preparing the Wine prefix"
    mkdir -p "$WINEPREFIX"
    # Wine's background services start with the first Wine program and keep
    # its output open; started here, detached from every pipe, they cannot
    # hold up ctest or the caller waiting for a test's output to end.
    # A server left over from an earlier run of this prefix would refuse -p.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1
    wine_started=yes
    wineboot -i </dev/null >/dev/null 2>&1
}

stop_wine() { WINEPREFIX="$BUILD/wine-prefix" wineserver -k 2>/dev/null || true; }
