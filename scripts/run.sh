#!/usr/bin/env bash
# Installs what is missing, builds the Release flavour and starts Scrivel with the given
# arguments. Without a display it starts under Xvfb.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
scrivel_install_packages
scrivel_build "$SCRIVEL_ROOT/build" -DCMAKE_BUILD_TYPE=Release -DSCRIVEL_TESTS=OFF -DSCRIVEL_BENCH=OFF
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    exec xvfb-run -a "$SCRIVEL_ROOT/build/src/scrivel" "$@"
fi
exec "$SCRIVEL_ROOT/build/src/scrivel" "$@"
