# Shared by scripts/run.sh and scripts/test.sh: installs what a fresh Debian 12 machine
# lacks, then configures and builds one flavour. Sourced, not run.
set -euo pipefail

SCRIVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SCRIVEL_PACKAGES="g++ make cmake ninja-build pkg-config qt6-base-dev libpugixml-dev libgtest-dev \
libgmock-dev libbenchmark-dev fonts-dejavu-core fonts-liberation2 xvfb xauth"

scrivel_install_packages() {
    local missing=()
    for p in $SCRIVEL_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# scrivel_build <build dir> <cmake args...>
scrivel_build() {
    local dir=$1; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$SCRIVEL_ROOT" -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}
