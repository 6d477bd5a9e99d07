#!/usr/bin/env bash
# Makes the Debian package from a build directory (cpack -G DEB) and checks it
# without touching the system: its control fields, its files, that the
# program and the manual page unpacked from it work, and Debian's own checks
# (lintian, installed here when it is missing).
#   scripts/check-package.sh [BUILD_DIR]     (default: build)
set -euo pipefail
. "$(dirname "$0")/apt-install-missing.sh"
cd "$(dirname "$0")/.."
command -v lintian >/dev/null 2>&1 || install_missing lintian
build=$(realpath "${1:-build}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$scratch/cpack.log")"
debs=("$scratch"/out/mailsift_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no mailsift_*.deb"
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = mailsift ] || fail "Package: $(field Package)"
[ "$(field Section)" = mail ] || fail "Section: $(field Section)"
[[ $(field Maintainer) == *"<"*"@"*">" ]] || fail "Maintainer: $(field Maintainer)"
[[ $(field Description) == *"delimited report"* ]] || fail "Description: $(field Description)"
dpkg-deb -x "$deb" "$scratch/root"
depends=$(field Depends)
# The C and C++ runtimes always; libcrypto's, zlib's and liburing's packages
# whenever the program needs those libraries.
packages=(libc6 libstdc++6 libgcc-s1)
needed=$(objdump -p "$scratch/root/usr/bin/mailsift" | sed -n 's/^ *NEEDED *//p')
for pair in libcrypto.so.3:libssl3 libz.so.1:zlib1g liburing.so.2:liburing2; do
  grep -qx "${pair%%:*}" <<<"$needed" && packages+=("${pair#*:}")
done
for package in "${packages[@]}"; do
  [[ $depends == *"$package "* ]] || fail "Depends lacks $package: $depends"
done

contents=$(dpkg-deb -c "$deb")
for f in usr/bin/mailsift usr/share/man/man1/mailsift.1.gz \
  usr/share/bash-completion/completions/mailsift usr/share/doc/mailsift/README.md \
  usr/share/doc/mailsift/SCALING.md usr/share/doc/mailsift/examples/shard-report.sh \
  usr/share/doc/mailsift/copyright usr/share/doc/mailsift/changelog.gz; do
  grep -q " \./$f\$" <<<"$contents" || fail "the package lacks /$f"
done

# The version is the package's own followed by the build stamp, and the
# program's version names the same moment: 0.1.0+20261207.2330 and 26.12.07.23.30.
version=$(field Version)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\+([0-9]{8})\.([0-9]{4})$ ]] || fail "Version: $version"
stamp=${BASH_REMATCH[1]}${BASH_REMATCH[2]}
expected="mailsift Ver. ${stamp:2:2}.${stamp:4:2}.${stamp:6:2}.${stamp:8:2}.${stamp:10:2}"
printed=$(env -i "$scratch/root/usr/bin/mailsift" --version)
[[ $printed == "$expected"* ]] || fail "unpacked mailsift --version printed $printed for $version"
zcat "$scratch/root/usr/share/doc/mailsift/changelog.gz" | head -1 | grep -qF "mailsift ($version)" ||
  fail "the changelog does not begin with version $version"
if command -v man >/dev/null 2>&1; then
  env -i PATH="$PATH" man -l "$scratch/root/usr/share/man/man1/mailsift.1.gz" 2>&1 |
    grep -q '^EXIT STATUS' || fail "man -l on the packaged page"
fi

# Debian's checks: no error and no warning (overrides, each with its reason,
# are in usr/share/lintian/overrides/mailsift).
if ! lintian --fail-on=error,warning "$deb" >"$scratch/lintian.log" 2>&1; then
  cat "$scratch/lintian.log" >&2
  fail "lintian"
fi
echo "package $(basename "$deb"): fields, files, version, man page and lintian ok (Depends: $depends)"
