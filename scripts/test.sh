#!/usr/bin/env bash
# Installs what is missing, builds the test flavour (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test with CTest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
scrivel_install_packages
scrivel_build "$SCRIVEL_ROOT/build-test" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DSCRIVEL_SANITIZE=ON -DSCRIVEL_BENCH=OFF
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
cd "$SCRIVEL_ROOT/build-test"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
