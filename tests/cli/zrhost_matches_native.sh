#!/bin/bash
# The DLL under Wine, driven by zrhost, and the native zuver-aduz must give
# bit-identical samples for the same input, learn span, level and host
# block size.
#   zrhost_matches_native.sh WINE_RUN ZRHOST DLL ZUVER_ADUZ WORKDIR
set -eu
wine_run=$1 zrhost=$2 dll=$3 native=$4 work=$5
mkdir -p "$work"
input="$work/noisy.wav"
# A reproducible noisy tone: 3 s at 44.1 kHz as 32-bit float.
sox -n -r 44100 -c 1 -b 32 -e floating-point "$input" synth 3 sine 440 synth 3 whitenoise amod 0.05 0.02 vol 0.3 2>/dev/null ||
  sox -n -r 44100 -c 1 -b 32 -e floating-point "$input" synth 3 whitenoise vol 0.05
[ -x "$native" ] || { echo "no native zuver-aduz at $native" >&2; exit 1; }
status=0
for block in 32 441 512 1300; do
  for level in 0 0.4; do
    "$native" denoise "$input" "$work/native-$block-$level.raw" --learn 0.2:1.2 --level "$level" --block "$block" \
      --format raw
    set +e
    "$wine_run" "$zrhost" denoise "$dll" "$input" "$work/win-$block-$level.raw" --learn 0.2:1.2 --level "$level" \
      --block "$block"
    rc=$?
    set -e
    [ $rc -eq 77 ] && exit 77
    [ $rc -eq 0 ] || { echo "zrhost failed ($rc) at block $block" >&2; exit 1; }
    if cmp -s "$work/native-$block-$level.raw" "$work/win-$block-$level.raw"; then
      echo "block $block level $level: identical"
    else
      echo "block $block level $level: DIFFERENT" >&2
      status=1
    fi
  done
done
exit $status
