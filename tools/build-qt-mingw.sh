#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows with mingw-w64 on Debian 12: qtbase only (Core, Gui, Widgets,
# Test, the windows, offscreen and minimal platforms, the vista style), from Debian's own qt6-base
# source package, the same version as the machine's qt6-base-dev, so that Debian's moc, rcc and uic
# serve the cross build. About an hour on two cores and some 4 GB of disk while it runs.
#
# Usage: tools/build-qt-mingw.sh <folder to install Qt into>
# then:  LEGWISE_QT_MINGW=<that folder> ./build.sh windows
#
# The work (source and build tree) goes into <folder>.work and is removed once Qt is installed; a run
# that was stopped picks up where it left off. LEGWISE_QT_JOBS sets the parallel jobs (default 2).
# The machine's apt configuration is left as it is: the source comes through a private apt setup
# whose deb-src lines are made from the machine's deb lines. Installing missing packages needs root
# or sudo.
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 <folder to install Qt into>" >&2
    exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
work=$prefix.work
jobs=${LEGWISE_QT_JOBS:-2}
triple=x86_64-w64-mingw32
patch_file=$top/tools/qt-mingw-no-opengl.patch

# What the build needs: the cross compiler, Debian's Qt host tools and CMake packages, CMake, Ninja,
# and dpkg-source to unpack the source package.
packages=(cmake ninja-build dpkg-dev patch g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Installing needs root or sudo: install ${missing[*]}" >&2; exit 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
upstream=${version%%+*} # 6.4.2+dfsg-10 -> 6.4.2
echo "Qt $upstream for mingw-w64 from Debian's qt6-base $version into $prefix (work in $work)"
mkdir -p "$work"
cd "$work"

# The source package, fetched through a private apt setup: the machine's deb lines, each turned
# into a deb-src line (one-line .list files and deb822 .sources files alike).
source_dir=$work/source
if [ ! -f "$source_dir/CMakeLists.txt" ]; then
    apt=$work/apt
    rm -rf "$apt" "$work/download"
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$work/download"
    : >"$apt/sources.list"
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] || continue
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list" >>"$apt/sources.list"
    done
    for sources in /etc/apt/sources.list.d/*.sources; do
        [ -f "$sources" ] || continue
        # Keeps each stanza whose Types name deb, as a deb-src stanza; drops the others.
        awk '
            function flush() { if (keep) printf "%s\n", stanza; stanza = ""; keep = 0 }
            /^[[:space:]]*$/ { flush(); next }
            /^Types:/ { keep = ($0 ~ /[[:space:]]deb([[:space:]]|$)/); $0 = "Types: deb-src" }
            { stanza = stanza $0 "\n" }
            END { flush() }' "$sources" >"$apt/sources.list.d/$(basename "$sources")"
    done
    apt_options=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/sources.list.d"
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o Dir::Cache::pkgcache=
        -o Dir::Cache::srcpkgcache= -o Debug::NoLocking=1)
    # apt run by root downloads as user _apt, which cannot write into a private folder of root's.
    [ "$(id -u)" -eq 0 ] && apt_options+=(-o APT::Sandbox::User=root)
    # A repository without sources only warns; a missing qt6-base fails below.
    apt-get "${apt_options[@]}" update -qq || echo "apt-get update reported errors (see above); trying the source anyway"
    (cd "$work/download" && apt-get "${apt_options[@]}" source --download-only "qt6-base=$version")
    rm -rf "$source_dir"
    dpkg-source -x "$work"/download/qt6-base_*.dsc "$source_dir"
fi

# Three preprocessor conditions of the Windows platform plugin, so that it builds without OpenGL and
# Direct2D; applied once.
if ! patch -d "$source_dir" -p1 -R --dry-run -s -f <"$patch_file" >/dev/null 2>&1; then
    patch -d "$source_dir" -p1 -f <"$patch_file"
fi

config=(-DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(gcc -print-multiarch)/cmake"
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_textmarkdownreader=OFF)
cmake -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    "${config[@]}" -DCMAKE_INSTALL_PREFIX="$prefix"
ninja -C "$work/build" -j"$jobs"
cmake --install "$work/build"
rm -rf "$prefix/doc" # the documentation tools' settings; nothing a build of Legwise uses
"$triple-strip" --strip-unneeded "$prefix"/bin/*.dll "$prefix"/plugins/*/*.dll

# What whoever ships these DLLs must ship with them: the licences, and how they were made.
cp -r "$source_dir/LICENSES" "$prefix/"
{
    echo "# Qt $upstream for 64-bit Windows, built with mingw-w64"
    echo
    echo "Built by Legwise's tools/build-qt-mingw.sh on $(date -u +%Y-%m-%d) from Debian's source package"
    echo "qt6-base $version (\`apt-get source qt6-base=$version\` on Debian 12), qtbase only, as shared"
    echo "DLLs, with $("$triple-g++-posix" --version | head -1). Qt is used under the LGPL 3.0:"
    echo "\`LICENSES/LGPL-3.0-only.txt\`."
    echo
    echo "## Configuration"
    echo
    echo '```'
    echo "cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=<Legwise>/cmake/mingw-w64-x86_64.cmake \\"
    printf '  %s \\\n' "${config[@]}"
    echo "  -DCMAKE_INSTALL_PREFIX=<this folder>"
    echo "ninja -j$jobs && cmake --install ."
    echo "$triple-strip --strip-unneeded bin/*.dll plugins/*/*.dll"
    echo '```'
    echo
    echo "## The changes to the source"
    echo
    echo "Three preprocessor conditions of the Windows platform plugin, so that it builds without OpenGL"
    echo "and Direct2D (Qt $upstream compiles those paths in all the same). Nothing else was changed."
    echo
    echo '```diff'
    cat "$patch_file"
    echo '```'
} >"$prefix/README.md"

[ -f "$prefix/bin/Qt6Core.dll" ] && [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ] \
    && [ -f "$prefix/plugins/platforms/qwindows.dll" ] || { echo "Qt did not install into $prefix" >&2; exit 1; }
rm -rf "$work"
echo "Qt for mingw-w64 is in $prefix. Build Legwise for Windows with:"
echo "  LEGWISE_QT_MINGW=$prefix ./build.sh windows"
