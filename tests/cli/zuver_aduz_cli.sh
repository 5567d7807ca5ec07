#!/bin/bash
# Behaviour of the zuver-aduz command line: results, presets, latency
# compensation, channels, and one clear error line for every bad input
# without touching the input or leaving a partial output.
#   zuver_aduz_cli.sh ZUVER_ADUZ WORKDIR
set -u
tool=$1 work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0 passes=0
pass() { echo "ok   $1"; passes=$((passes + 1)); }
bad() { echo "FAIL $1" >&2; failures=$((failures + 1)); }

sox -n -r 44100 -c 1 -b 16 noisy.wav synth 3 whitenoise vol 0.05 synth 3 sine mix 440 fade 0 3 0 2>/dev/null ||
  sox -n -r 44100 -c 1 -b 16 noisy.wav synth 3 whitenoise vol 0.05
sox -n -r 48000 -c 2 -b 24 stereo.wav synth 2 whitenoise vol 0.05
# An impulse after one second of silence, as 32-bit float.
sox -n -r 44100 -c 1 -b 32 -e floating-point silence.wav trim 0 2
printf 'not audio at all' > text.wav
before=$(md5sum noisy.wav)

# --- results -----------------------------------------------------------
"$tool" denoise noisy.wav out.wav 2> err.txt && [ ! -s err.txt ] && pass "denoise runs quietly" || bad "denoise runs quietly"
[ "$(soxi -s out.wav)" = "$(soxi -s noisy.wav)" ] && [ "$(soxi -r out.wav)" = 44100 ] && [ "$(soxi -b out.wav)" = 16 ] &&
  pass "output keeps length, rate and format" || bad "output keeps length, rate and format"
rms() { sox "$1" -n trim 0.2 1.0 stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
awk -v a="$(rms noisy.wav)" -v b="$(rms out.wav)" 'BEGIN { exit !(b < a * 0.7) }' &&
  pass "learnt noise is reduced" || bad "learnt noise is reduced ($(rms noisy.wav) -> $(rms out.wav))"

"$tool" denoise noisy.wav a.wav --save-preset p.fxp && "$tool" denoise noisy.wav b.wav --preset p.fxp &&
  cmp -s a.wav b.wav && pass "preset reproduces the learnt result" || bad "preset reproduces the learnt result"
[ "$(head -c 4 p.fxp)" = CcnK ] && [ "$(stat -c %s p.fxp)" = $((60 + 2060)) ] &&
  pass "preset is an fxp chunk program" || bad "preset is an fxp chunk program"
"$tool" denoise noisy.wav c.wav --preset p.fxp --level 0.8 && ! cmp -s b.wav c.wav &&
  pass "--level overrides the preset's level" || bad "--level overrides the preset's level"

"$tool" denoise stereo.wav st.wav --learn 0:1 && [ "$(soxi -c st.wav)" = 2 ] && [ "$(soxi -r st.wav)" = 48000 ] &&
  pass "stereo keeps its channels" || bad "stereo keeps its channels"

python3 - <<'PY'
import struct, wave
# impulse.wav: 1.5 s of silence with one 0.5 impulse at frame 50000 (float)
n, at = 66150, 50000
data = bytearray(struct.pack('<%df' % n, *([0.0] * n)))
struct.pack_into('<f', data, 4 * at, 0.5)
hdr = b'RIFF' + struct.pack('<I', 36 + len(data)) + b'WAVEfmt ' + struct.pack('<IHHIIHH', 16, 3, 1, 44100, 44100 * 4, 4, 32)
open('impulse.wav', 'wb').write(hdr + b'data' + struct.pack('<I', len(data)) + bytes(data))
PY
peak() { python3 -c "
import struct,sys
d=open('$1','rb').read(); v=struct.unpack('<%df'%(len(d)//4),d)
i=max(range(len(v)),key=lambda k:abs(v[k])); print(i, round(v[i],5), len(v))"; }
"$tool" denoise impulse.wav comp.raw --learn 0:1 --format raw --block 441 &&
  [ "$(peak comp.raw)" = "50000 0.5 66150" ] && pass "latency compensated" || bad "latency compensated ($(peak comp.raw))"
"$tool" denoise impulse.wav raw.raw --learn 0:1 --format raw --no-latency-compensation &&
  [ "$(peak raw.raw)" = "50511 0.5 66150" ] && pass "raw host view delays by 511" || bad "raw host view ($(peak raw.raw))"

# --- bad input -----------------------------------------------------------
printf 'CcnK' > short.fxp
python3 -c "
import struct
body = b'\0' * 2060
def fxp(pid, chunk):
    h = b'CcnK' + struct.pack('>I', 52 + len(chunk)) + b'FPCh' + struct.pack('>IIII', 1, pid, 1, 1) + b'x'.ljust(28, b'\0')
    return h + struct.pack('>I', len(chunk)) + chunk
open('other.fxp','wb').write(fxp(1234, body))
open('size.fxp','wb').write(fxp(942750006, b'\0' * 100))
"
echo keep > exists.wav
keep=$(md5sum exists.wav)
expect_error() {
  local what=$1; shift
  "$tool" "$@" > out.txt 2> err.txt
  local rc=$?
  if [ $rc -ne 0 ] && [ "$(wc -l < err.txt)" = 1 ] && grep -q '^zuver-aduz: ' err.txt && [ $rc -lt 128 ]; then
    pass "$what: $(cat err.txt)"
  else
    bad "$what (exit $rc): $(cat err.txt)"
  fi
}
expect_error "output equal to input" denoise noisy.wav noisy.wav
expect_error "same file by another path" denoise noisy.wav ./noisy.wav
expect_error "missing input" denoise nothing.wav exists.wav
expect_error "not audio" denoise text.wav exists.wav
expect_error "learn span outside the file" denoise noisy.wav exists.wav --learn 2:9
expect_error "empty learn span" denoise noisy.wav exists.wav --learn 2:1
expect_error "preset of another plug-in" denoise noisy.wav exists.wav --preset other.fxp
expect_error "preset of the wrong size" denoise noisy.wav exists.wav --preset size.fxp
expect_error "truncated preset" denoise noisy.wav exists.wav --preset short.fxp
expect_error "audio as preset" denoise noisy.wav exists.wav --preset noisy.wav
expect_error "missing preset" denoise noisy.wav exists.wav --preset none.fxp
expect_error "level out of range" denoise noisy.wav exists.wav --level 1.5
expect_error "level not a number" denoise noisy.wav exists.wav --level abc
expect_error "level NaN" denoise noisy.wav exists.wav --level nan
expect_error "block zero" denoise noisy.wav exists.wav --block 0
expect_error "block fraction" denoise noisy.wav exists.wav --block 12.5
expect_error "unknown option" denoise noisy.wav exists.wav --volume 3
expect_error "missing output" denoise noisy.wav
expect_error "stereo preset" denoise stereo.wav exists.wav --save-preset s.fxp
expect_error "unwritable output" denoise noisy.wav /nonexistent/dir/out.wav
[ "$(md5sum noisy.wav)" = "$before" ] && pass "input untouched" || bad "input untouched"
[ "$(md5sum exists.wav)" = "$keep" ] && pass "existing output untouched on failure" || bad "existing output changed"
ls ./*.part > /dev/null 2>&1 && bad "partial files left behind" || pass "no partial files left"
"$tool" > /dev/null 2>&1; [ $? -eq 2 ] && pass "usage without a command" || bad "usage without a command"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
