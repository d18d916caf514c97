#!/usr/bin/env bash
# Installs every package the build, the tests and the benchmarks need (Debian 12, as root).
# The checks under an X server drive the program with xdotool, read it through
# the accessibility bus (at-spi2-core, python3-pyatspi, a dbus-launch session)
# and ask the desktop's type database about documents (xdg-mime, which reads it
# through the mimetype program of libfile-mimeinfo-perl). Tests of file clones
# make and mount a Btrfs image of their own (btrfs-progs, mount).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  g++ cmake ninja-build make pkg-config python3 \
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev \
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libgl-dev \
  xvfb xauth fonts-dejavu-core adwaita-icon-theme \
  xdotool dbus-x11 at-spi2-core python3-pyatspi shared-mime-info xdg-utils libfile-mimeinfo-perl \
  btrfs-progs mount util-linux gcovr
