#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, skipping
# those already there. Debian 12; run as root or with sudo available.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n qt6-tools-dev qt6-l10n-tools libicu-dev
  freetds-dev freetds-bin
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  fonts-noto-cjk xvfb xauth librsvg2-bin
)
bash "$(dirname "$0")/install-packages.sh" "${packages[@]}"
