#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing:
# the Windows programs are cross-built with MinGW-w64 and tested under Wine on a
# virtual display; a test signs a rebrander with a certificate it makes, and one
# runs under code page 932 in a locale made from the locale sources. The kit's
# bundles are archived with tar and zip; its .deb needs dpkg-shlibdeps; the
# installed-kit check builds against the library through pkg-config.
set -euo pipefail

packages=(cmake g++ make libgtest-dev qt6-base-dev libqt6svg6 fonts-dejavu-core nlohmann-json3-dev
  clang libclang-rt-14-dev
  zip unzip dpkg-dev pkg-config help2man lintian
  g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth xdotool x11-utils
  openssl osslsigncode locales "$@")
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
