#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs the unpacked
# application with the source and build trees out of reach (a tmpfs over each, in a
# mount namespace of its own): a scripted run and the tour without a display pass there.
#   package_test.sh SOURCE BUILD
set -euo pipefail
source=$(realpath "$1") build=$(realpath "$2")
if [ "$(id -u)" -ne 0 ] || ! unshare --mount true 2>/dev/null; then
  echo "SKIP: hiding the trees needs root and mount namespaces"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$scratch/out" >"$scratch/cpack.log") || {
  cat "$scratch/cpack.log"
  exit 1
}
deb=$(ls "$scratch"/out/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package $(basename "$deb"): Depends: $depends"
# Read off the linked libraries: Qt, libcurl and the C++ runtime at least.
for library in libqt6widgets6 libqt6multimedia6 libcurl4 libstdc\+\+6; do
  grep -q "$library" <<<"$depends" || { echo "FAIL: $library missing from Depends"; exit 1; }
done
dpkg-deb -x "$deb" "$scratch/root"
cp "$source/docs/examples/chapter14-download.scenario" "$scratch/"

export root=$scratch/root scratch source build
unshare --mount --propagation private bash -euo pipefail -c '
  mount -t tmpfs none "$source"
  [ -d "$build" ] && mount -t tmpfs none "$build"
  [ ! -e "$source/ui" ] || { echo "FAIL: the source tree is still there"; exit 1; }
  cd "$scratch"
  "$root/usr/bin/larkspire" --headless --scenario chapter14-download.scenario \
    --settings "$scratch/settings.json" >scenario.out 2>&1 ||
    { cat scenario.out; echo "FAIL: scripted run"; exit 1; }
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$scratch" \
    "$root/usr/bin/larkspire" --screenshots "$scratch/shots" >tour.out 2>tour.err ||
    { tail -20 tour.err; echo "FAIL: tour"; exit 1; }
  grep -q "tour passed" tour.err || { tail -20 tour.err; echo "FAIL: no tour passed"; exit 1; }
'
echo "the unpacked package passed a scripted run and the tour ($(ls "$scratch/shots" | wc -l) screenshots)"
