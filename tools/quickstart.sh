#!/usr/bin/env bash
# The two ways in: `run` builds and starts the application, `test` builds and
# runs every test. Both first install whatever Debian packages are missing.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

packages=(
  build-essential cmake ninja-build pkg-config git
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  nginx-light curl
)

install_missing() {
  local missing=()
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# configure FOLDER [cmake options...]
configure() {
  local folder=$1
  shift
  cmake -S "$here" -B "$here/$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

run_tests() {
  local folder=$1
  shift
  ctest --test-dir "$here/$folder" --output-on-failure -j "$jobs" "$@"
}

case "${1:-}" in
  run)
    shift
    install_missing
    configure build
    cmake --build "$here/build" -j "$jobs" --target larkspire
    exec "$here/build/src/larkspire" "$@"
    ;;
  test)
    install_missing
    echo "== Build and tests"
    configure build -DLARKSPIRE_WERROR=ON
    cmake --build "$here/build" -j "$jobs"
    run_tests build
    echo "== Build and tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    configure build-asan -DLARKSPIRE_WERROR=ON -DLARKSPIRE_SANITIZE="address;undefined"
    cmake --build "$here/build-asan" -j "$jobs"
    run_tests build-asan
    ;;
  *)
    echo "usage: tools/quickstart.sh run [application options] | test" >&2
    exit 2
    ;;
esac
