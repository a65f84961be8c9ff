#!/usr/bin/env bash
# Installs what is missing, builds, and then starts Legwise (`./build.sh run`) or runs every test
# (`./build.sh test`); `./build.sh windows` cross-builds for Windows and packs the zip in dist/.
# Installing needs root or sudo; a machine that has everything skips it.
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

# Qt for mingw-w64: $LEGWISE_QT_MINGW, else ../shared/qt6-mingw beside the repository. Prints the
# folder, or says where it looked and how to make one, and fails.
find_qt_mingw() {
    local dir=${LEGWISE_QT_MINGW:-$PWD/../shared/qt6-mingw}
    if [ -f "$dir/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$dir/bin/Qt6Core.dll" ]; then
        (cd "$dir" && pwd)
        return 0
    fi
    echo "No Qt 6 for mingw-w64 in $dir${LEGWISE_QT_MINGW:+ (LEGWISE_QT_MINGW)}." >&2
    echo "Build one (about an hour on two cores), then name its folder:" >&2
    echo "  tools/build-qt-mingw.sh ~/qt6-mingw" >&2
    echo "  LEGWISE_QT_MINGW=~/qt6-mingw ./build.sh windows" >&2
    return 1
}

# Cross-builds legwise.exe, legwise-check.exe and the test programs in build-windows/ (LEGWISE_WINDOWS_BUILD_DIR),
# GoogleTest from Debian's sources included, and packs dist/legwise-<version>-windows-x64.zip.
build_windows() {
    local qt out toolchain cross
    qt=$(find_qt_mingw) || exit 3 # .ci/windows tells this apart from a failed build
    install_missing g++-mingw-w64-x86-64-posix wine qt6-base-dev-tools googletest zip xvfb
    mkdir -p "${LEGWISE_WINDOWS_BUILD_DIR:-build-windows}"
    out=$(cd "${LEGWISE_WINDOWS_BUILD_DIR:-build-windows}" && pwd)
    toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
    cross=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release)
    command -v ccache >/dev/null && cross+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    echo "Qt for mingw-w64: $qt"

    if [ ! -f "$out/googletest-install/lib/cmake/GTest/GTestConfig.cmake" ]; then
        cmake -S /usr/src/googletest -B "$out/googletest" "${cross[@]}" -DBUILD_GMOCK=OFF \
            -DCMAKE_INSTALL_PREFIX="$out/googletest-install"
        cmake --build "$out/googletest" -j"$(nproc)"
        cmake --install "$out/googletest"
    fi

    cmake -S . -B "$out/legwise" "${cross[@]}" -DCMAKE_PREFIX_PATH="$qt;$out/googletest-install" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(gcc -print-multiarch)/cmake" \
        -DLEGWISE_BENCHMARKS=OFF
    cmake --build "$out/legwise" -j"$(nproc)" --target legwise legwise-check
    local version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/legwise/CMakeCache.txt")
    tools/pack-windows.sh "$out/legwise" "$qt" "dist/legwise-$version-windows-x64.zip"
    # The test programs, for running under Wine (.ci/run) or on Windows.
    cmake --build "$out/legwise" -j"$(nproc)"
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
windows)
    build_windows
    ;;
*)
    echo "usage: $0 [run|test|windows]" >&2
    exit 2
    ;;
esac
