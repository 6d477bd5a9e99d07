#!/usr/bin/env bash
# Builds mailsift.exe with the MinGW-w64 cross compiler and runs the Windows
# unit tests and the Windows end-to-end suite under Wine. Installs the cross
# compiler, its zlib and Wine when they are missing (quietly; apt-get runs
# only then).
# The end-to-end suite compares with the Linux build in build/, which is
# built here when it is not there yet.
set -euo pipefail
. "$(dirname "$0")/apt-install-missing.sh"
cd "$(dirname "$0")/.."
scripts/ensure-tools.sh

wine=/usr/lib/wine/wine64
missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64-posix)
[ -x "$wine" ] || missing+=(wine64)
# zlib for the cross build; linked into the program, never as zlib1.dll.
[ -f /usr/x86_64-w64-mingw32/lib/libz.a ] || missing+=(libz-mingw-w64-dev)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(libgtest-dev)
install_missing "${missing[@]+"${missing[@]}"}"

# A scratch Wine prefix of our own; Wine's own messages off.
export WINEDEBUG=-all
export WINEPREFIX="$PWD/build-win/wine-prefix"
wineserver=/usr/lib/wine/wineserver
mkdir -p build-win
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix"
  # Without the .NET and HTML engines, which it would offer to download.
  WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot -i >/dev/null 2>&1 || true
  "$wineserver" -w
fi

cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_WERROR=ON \
  -DMAILSIFT_BUILD_DATE="Jan 01 2024" -DMAILSIFT_BUILD_TIME="00:00:00" >/dev/null
cmake --build build-win -j2

# The program needs nothing but the system's own DLLs. The unit tests link
# every part of the core, the digests included, so they show it too.
for exe in mailsift.exe tests/mailsift_unit_tests.exe; do
  imports=$(x86_64-w64-mingw32-objdump -p "build-win/$exe" | sed -n 's/^\s*DLL Name: //p' | sort)
  echo "$exe imports:" $imports
  for dll in $imports; do
    case "${dll,,}" in
      kernel32.dll | advapi32.dll | bcrypt.dll | msvcrt.dll) ;;
      *) echo "$exe imports $dll, which is not a Windows system DLL" >&2; exit 1 ;;
    esac
  done
done
# And it is stripped: no symbol table and no debug sections.
if [ -n "$(x86_64-w64-mingw32-nm build-win/mailsift.exe 2>/dev/null)" ] ||
  x86_64-w64-mingw32-objdump -h build-win/mailsift.exe | grep -q '\.debug'; then
  echo "mailsift.exe is not stripped" >&2
  exit 1
fi

if [ ! -x build/mailsift ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_WERROR=ON >/dev/null
  cmake --build build -j2 --target mailsift
fi
cmake -S tests/wine -B build-wine -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMAILSIFT_WINDOWS_EXE="$PWD/build-win/mailsift.exe" \
  -DMAILSIFT_LINUX_BINARY="$PWD/build/mailsift" \
  -DMAILSIFT_WINE_PROGRAM="$wine" -DMAILSIFT_WINE_PREFIX="$WINEPREFIX" >/dev/null
cmake --build build-wine -j2

# One Wine server for the whole suite saves a start per program run. Its
# services are started here, away from the tests' output pipes, which they
# would otherwise hold open.
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
echo "Windows unit tests (under Wine):"
# One program run holds every case; its own summary gives the counts.
if ! ctest --test-dir build-win -V >build-win/unit-tests.log 2>&1; then
  cat build-win/unit-tests.log
  exit 1
fi
grep -E '\[  (PASSED|SKIPPED) +\]|tests passed' build-win/unit-tests.log
echo "Windows end-to-end tests (under Wine):"
ctest --test-dir build-wine --output-on-failure -j2
