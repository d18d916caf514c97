#!/usr/bin/env bash
# Installs every package the build, the tests and the benchmarks need (Debian 12, as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  g++ cmake ninja-build make pkg-config python3 \
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev \
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libgl-dev \
  xvfb xauth fonts-dejavu-core adwaita-icon-theme \
  btrfs-progs mount util-linux
