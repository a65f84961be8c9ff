#!/usr/bin/env bash
# Installs what is missing, builds, and then starts Legwise (`./build.sh run`) or runs every test
# (`./build.sh test`). Installing needs root or sudo; a machine that has everything skips it.
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core xvfb openbox x11-utils wmctrl)
build_dir=${LEGWISE_BUILD_DIR:-build}

install_missing() {
    local missing=()
    for package in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Installing needs root or sudo: run as root, or install ${missing[*]}" >&2; exit 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build_dir" -j"$(nproc)"
}

case "${1:-run}" in
run)
    install_missing
    configure_and_build
    exec "$build_dir/legwise"
    ;;
test)
    install_missing
    configure_and_build
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
