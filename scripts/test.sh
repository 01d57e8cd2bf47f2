#!/usr/bin/env bash
# Installs what is missing, builds the test flavour (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test with CTest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The core reaches the operating system only through src/platform: no other folder may
# include a system header, so that the Windows side needs nothing but its own platform
# files. Folders still to be moved onto the platform layer are listed here for the time
# being; drop an entry when its folder is done.
SCRIVEL_SYSTEM_HEADER_EXCEPTIONS=()
scrivel_check_system_headers() {
    local pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(unistd|fcntl|dirent|pthread|poll|pwd|grp|termios|dlfcn|spawn|libgen|glob|fnmatch|iconv|langinfo|semaphore|sys/[^>]*)\.h>'
    local excludes=() folder
    for folder in "${SCRIVEL_SYSTEM_HEADER_EXCEPTIONS[@]}"; do
        excludes+=(--exclude-dir="$(basename "$folder")")
    done
    local found
    found=$(cd "$SCRIVEL_ROOT" && grep -rnE "$pattern" src --include='*.h' --include='*.cpp' \
        --exclude-dir=platform "${excludes[@]}" || true) # grep fails when it finds nothing
    if [[ -n $found ]]; then
        echo "System headers outside src/platform (use the platform layer instead):" >&2
        echo "$found" >&2
        exit 1
    fi
}
scrivel_check_system_headers

scrivel_install_packages
scrivel_build "$SCRIVEL_ROOT/build-test" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DSCRIVEL_SANITIZE=ON -DSCRIVEL_BENCH=OFF
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
cd "$SCRIVEL_ROOT/build-test"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
