#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build folder and runs
# each for a bounded time. Exits non-zero when a target crashes or
# a parser or conversion disagrees with its reference.
#   LARKSPIRE_FUZZ_SECONDS  time per target (default 30)
#   LARKSPIRE_FUZZ_BUILD    build folder (default build-fuzz)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${LARKSPIRE_FUZZ_BUILD:-$root/build-fuzz}
seconds=${LARKSPIRE_FUZZ_SECONDS:-30}
targets=(answer_conversion screen_description manifest signature edition_record settings timed_text)

for tool in clang clang++ cmake ninja; do
    if ! command -v "$tool" >/dev/null; then
        echo "fuzz: $tool is missing (apt-get install clang libclang-rt-14-dev cmake ninja-build)" >&2
        exit 2
    fi
done

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLARKSPIRE_FUZZ=ON -DLARKSPIRE_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzzer}"

status=0
for target in "${targets[@]}"; do
    # New inputs go to a scratch folder; the committed seeds stay as they are.
    scratch=$(mktemp -d)
    artifacts="$build/fuzz-artifacts/$target"
    mkdir -p "$artifacts"
    options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/")
    # The gate's text field takes up to 32,767 characters; so does the fuzzer.
    if [[ $target == answer_conversion ]]; then
        options+=(-max_len=32767)
    fi
    if [[ -f "$root/fuzz/$target.dict" ]]; then
        options+=(-dict="$root/fuzz/$target.dict")
    fi
    echo "fuzz: $target for ${seconds}s"
    if ! "$build/fuzz/${target}_fuzzer" "${options[@]}" "$scratch" "$root/fuzz/corpus/$target"; then
        echo "fuzz: $target failed; the input is in $artifacts" >&2
        status=1
    fi
    rm -rf "$scratch"
done
exit $status
