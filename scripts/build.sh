#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), then builds and starts the program ("run", the
# default), or builds everything and runs every test ("test").
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-run}" in
  run|test) ;;
  *)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac

# Build jobs: every core unless QM505_JOBS asks for fewer (a shared machine).
jobs="${QM505_JOBS:-$(nproc)}"
if ! [[ "$jobs" =~ ^[0-9]{1,6}$ ]] || [ "$((10#$jobs))" -eq 0 ]; then
  echo "QM505_JOBS must be a positive whole number (the number of build jobs), not '${QM505_JOBS}'" >&2
  exit 2
fi
jobs="$((10#$jobs))"

packages=(cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
          libxlsxwriter-dev libminizip-dev libxcb-xkb-dev fonts-wqy-microhei poppler-utils
          qt6-translations-l10n)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages (install them as root): ${missing[*]}" >&2
    exit 1
  fi
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

# The benchmark and the pictures tool are made by hand (README), not here.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM505_BUILD_BENCH=OFF

case "${1:-run}" in
  run)
    # Only the program: the test programs are built by "test".
    cmake --build build --target qm505 --parallel "$jobs"
    exec build/qm505
    ;;
  test)
    cmake --build build --parallel "$jobs"
    cd build
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" ctest --output-on-failure
    ;;
esac
