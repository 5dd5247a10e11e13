#!/usr/bin/env bash
# Installs, with apt-get, whatever a fresh Debian 12 machine lacks to build DOdavev: the
# release build with the window, the sanitizer build, the fuzz targets and the Debian package.
set -euo pipefail
packages=(
  # compilers and build tools; clang and its runtime libraries for libFuzzer
  g++ cmake ninja-build clang libclang-rt-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the window: Widgets, PrintSupport and Test come with qt6-base-dev; Qt 6 Charts needs
  # the OpenGL and OpenGLWidgets modules, which qt6-charts-dev only recommends
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  # run time of the window on the offscreen platform (tests, --plots): the platform
  # plugins and a font (the SVG image and icon plugins come with libqt6svg6)
  qt6-qpa-plugins fonts-dejavu-core xvfb xauth
  # the Debian package: cpack's shared-library dependencies come from dpkg-shlibdeps
  dpkg-dev file
  # data tools, the Python module and its tests, the least-squares fit
  python3 python3-dev pybind11-dev python3-numpy python3-pytest python3-matplotlib libgsl-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
