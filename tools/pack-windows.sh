#!/usr/bin/env bash
# Packs the cross-built legwise.exe and legwise-check.exe with everything they need on Windows into one zip.
# Usage: tools/pack-windows.sh <build folder> <Qt for mingw> <zip to write>
# Every DLL that legwise.exe, the DLLs and the plugins import must be in the zip or be part of
# Windows; the packing fails otherwise and names what is missing.
set -euo pipefail

build=$1
qt=$2
zip_file=$3
top=$(cd "$(dirname "$0")/.." && pwd)
triple=x86_64-w64-mingw32

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/platforms" "$stage/styles" "$stage/examples" "$stage/licenses"

"$triple-strip" --strip-unneeded -o "$stage/legwise.exe" "$build/legwise.exe"
"$triple-strip" --strip-unneeded -o "$stage/legwise-check.exe" "$build/legwise-check.exe"
cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
# The compiler's runtime, without the debugging symbols it comes with.
for runtime in libstdc++-6.dll libgcc_s_seh-1.dll; do
    "$triple-strip" --strip-unneeded -o "$stage/$runtime" "$("$triple-g++-posix" -print-file-name="$runtime")"
done
"$triple-strip" --strip-unneeded -o "$stage/libwinpthread-1.dll" "/usr/$triple/lib/libwinpthread-1.dll"

cp "$top"/examples/*.txt "$stage/examples/"
cp "$top"/examples/*.csv "$stage/examples/"
cp "$top/README.md" "$top/CHANGELOG.md" "$stage/"
cp "$top/LICENSE" "$stage/LICENSE.txt"

# The licences of what the zip ships besides Legwise.
package_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo "unknown"; }
cp /usr/share/common-licenses/GPL-3 "$stage/licenses/GPL-3.0.txt"
cp "$qt/LICENSES/LGPL-3.0-only.txt" "$stage/licenses/Qt-LGPL-3.0-only.txt"
cp /usr/share/doc/libqt6core6/copyright "$stage/licenses/Qt-copyright.txt"
cp "$qt/README.md" "$stage/licenses/Qt-how-it-was-built.md"
cp "$top/check/data/LICENSE-zone-map.txt" "$stage/licenses/zone-map-ODbL.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/GCC-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licenses/winpthreads-and-mingw-w64-copyright.txt"
cat >"$stage/licenses/README.txt" <<EOF
Legwise itself is under the MIT licence: ../LICENSE.txt.

Besides legwise.exe and legwise-check.exe this folder holds libraries of others, each under its own licence:

Qt 6.4.2 (Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, platforms/qwindows.dll,
styles/qwindowsvistastyle.dll), used under the GNU Lesser General Public License 3.0:
Qt-LGPL-3.0-only.txt, which builds on GPL-3.0.txt. Qt-copyright.txt lists the copyright holders
and licences of Qt and of the code bundled into it (zlib, PCRE2, HarfBuzz, FreeType, libpng and
others). You may replace these DLLs with your own build of Qt 6.4 for mingw-w64.
Source: Debian's source package qt6-base, version 6.4.2+dfsg-10
(https://sources.debian.org/src/qt6-base/6.4.2+dfsg-10/, or "apt-get source qt6-base" on Debian 12),
built for 64-bit Windows, with three preprocessor conditions of the Windows platform plugin changed
so that it builds without OpenGL and Direct2D; Qt-how-it-was-built.md gives the configuration and
the changes, line by line.

GCC runtime libraries (libstdc++-6.dll, libgcc_s_seh-1.dll), from Debian's gcc-mingw-w64
$(package_version gcc-mingw-w64-x86-64-posix-runtime): GNU General Public License 3.0 (GPL-3.0.txt)
with the GCC Runtime Library Exception 3.1; the exception's text and the copyright holders are in
GCC-runtime-copyright.txt. Source: Debian's source package gcc-mingw-w64.

winpthreads (libwinpthread-1.dll) and the mingw-w64 start-up code in legwise.exe, from Debian's
mingw-w64 $(package_version mingw-w64-x86-64-dev): the MIT (expat) licence and others, given
file by file in winpthreads-and-mingw-w64-copyright.txt. Source: Debian's source package mingw-w64.

The map of time zones built into legwise.exe and legwise-check.exe: converted from the zone
boundaries of timezone-boundary-builder as npm's geo-tz 8.1.9 ships them (geo-tz/all); data
(c) OpenStreetMap contributors, under the Open Database License (ODbL): zone-map-ODbL.txt.
The UTC offsets built into legwise.exe come from the IANA time zone database (tzdata, public domain).
EOF

# Every import must be shipped (in the program's folder, where Windows looks first) or be a DLL
# that Windows itself provides.
system_dlls=(advapi32 authz comdlg32 d3d9 d3d11 dwmapi dwrite dxgi gdi32 imm32 kernel32 mpr msvcrt netapi32 ole32
    oleaut32 shcore shell32 shlwapi user32 userenv uxtheme version winmm ws2_32 wtsapi32)
missing=0
echo "DLL dependencies:"
while IFS= read -r binary; do
    imports=$("$triple-objdump" -p "$binary" | awk '/DLL Name:/ {print $3}')
    echo "  ${binary#"$stage"/}: $(echo $imports)"
    for dll in $imports; do
        name=$(echo "${dll%.[dD][lL][lL]}" | tr '[:upper:]' '[:lower:]')
        if [[ $name == api-ms-win-* || " ${system_dlls[*]} " == *" $name "* ]]; then
            continue
        fi
        if ! find "$stage" -maxdepth 1 -iname "$dll" | grep -q .; then
            echo "    missing from the zip: $dll" >&2
            missing=1
        fi
    done
done < <(find "$stage" -iname '*.exe' -o -iname '*.dll' | sort)
if [ "$missing" -ne 0 ]; then
    echo "pack-windows: DLLs above are neither in the zip nor part of Windows" >&2
    exit 1
fi

chmod -R u+w,a+rX "$stage"
mkdir -p "$(dirname "$zip_file")"
rm -f "$zip_file"
zip_file=$(cd "$(dirname "$zip_file")" && pwd)/$(basename "$zip_file")
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | zip -q -X "$zip_file" -@)
echo "Packed $zip_file:"
unzip -l "$zip_file" | sed -n '4,$p' | head -n -2 | awk '{print "  " $4}'
