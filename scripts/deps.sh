#!/usr/bin/env bash
# Installs the Debian packages Orvane needs to build, run and test. Root, or sudo where not root.
set -eu
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  googletest libgtest-dev libgmock-dev
  xvfb xauth xdotool x11-utils imagemagick
  fonts-noto-cjk
  g++-mingw-w64-x86-64-posix wine wine64 locales
  clang-14 libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
# The Windows tests run under Wine with the Chinese locale (ANSI code page 936).
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen
fi
