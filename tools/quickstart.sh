#!/usr/bin/env bash
# The two ways in: `run` builds and starts the application, `test` builds and
# runs every test; `package` builds the Debian package. All first install
# whatever Debian packages are missing.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

packages=(
  build-essential cmake ninja-build pkg-config git
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev libre2-dev libsndfile1-dev libgumbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  nginx-light curl ca-certificates openssl dbus-daemon playerctl pulseaudio pulseaudio-utils weston
  desktop-file-utils appstream dpkg-dev devscripts help2man lintian man-db
  qt6-base-dev qt6-multimedia-dev libqt6svg6 qt6-wayland libswscale-dev libyuv-dev libgstreamer1.0-dev
  libgstreamer-plugins-base1.0-dev
  qt6-l10n-tools qt6-tools-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
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
  # -O2 without debug information: quicker to build and link than RelWithDebInfo, and
  # free of GCC 12's false -Wrestrict reports inside libstdc++ at -O3.
  cmake -S "$here" -B "$here/$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" "$@" >/dev/null
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
  package)
    install_missing
    configure build
    cmake --build "$here/build" -j "$jobs"
    (cd "$here/build" && cpack -G DEB)
    echo "Install it with: apt-get install $(ls "$here"/build/package/*.deb | tail -1)"
    ;;
  test)
    install_missing
    echo "== Build and tests"
    configure build -DLARKSPIRE_WERROR=ON
    cmake --build "$here/build" -j "$jobs"
    run_tests build
    echo "== Build and tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    # -O1 builds much faster and still lets the sanitizers see everything; the
    # thousand-launch storm is left to the plain stage, where it takes a minute, and so are
    # the tests on a sound server and a Wayland compositor (label desktop), whose time bounds
    # are a family's, not a sanitizer's.
    configure build-asan -DLARKSPIRE_WERROR=ON -DLARKSPIRE_SANITIZE="address;undefined" \
      -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG"
    cmake --build "$here/build-asan" -j "$jobs"
    # Leak options and suppressions come with the tests (tests/CMakeLists.txt).
    run_tests build-asan -LE 'storm|desktop'
    echo "== Threaded tests under ThreadSanitizer"
    # Only the suites whose code runs on several threads: the main queue, the story side's
    # downloads and the on-demand service. Programs not built here show up as *_NOT_BUILT;
    # the scenario and install tests run the application, which this stage does not build.
    configure build-tsan -DLARKSPIRE_WERROR=ON -DLARKSPIRE_SANITIZE=thread \
      -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG"
    cmake --build "$here/build-tsan" -j "$jobs" --target platform_tests content_tests ondemand_tests
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
      run_tests build-tsan -LE desktop -E '_NOT_BUILT$|^scenario[.]|^install[.]'
    echo "== Fuzzers, each for a bounded time"
    LARKSPIRE_FUZZ_SECONDS=30 "$here/fuzz/run.sh"
    echo "all stages passed"
    ;;
  *)
    echo "usage: tools/quickstart.sh run [application options] | test | package" >&2
    exit 2
    ;;
esac
