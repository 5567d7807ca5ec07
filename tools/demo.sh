#!/bin/bash
# The main job's demonstration: a noisy speech sample made reproducibly,
# denoised by zuver-aduz, with a before/after spectrogram.
#   tools/demo.sh ZUVER_ADUZ OUTDIR
set -eu
tool=$1 out=$2
mkdir -p "$out"
cd "$out"

# Speech after 1.5 s of room tone, mixed with steady hiss and hum; sox -R
# makes the noise the same on every run.
espeak-ng -s 150 -w speech-raw.wav \
  "Zuver Aduz listens to the noise first. Then it removes the steady hiss and hum, and keeps the voice." 2>/dev/null
sox -R speech-raw.wav -r 44100 -c 1 -b 16 speech.wav pad 1.5 0.5 norm -3
seconds=$(soxi -D speech.wav)
sox -R -n -r 44100 -c 1 -b 16 noise.wav synth "$seconds" pinknoise vol 0.06 synth "$seconds" sine mix 100 vol 0.8
sox -R -m speech.wav noise.wav -b 16 noisy.wav
"$tool" denoise noisy.wav denoised.wav --learn-seconds 1.2 --level 0.3

# Both files side by side as the two channels of one picture: noisy on top.
sox -R -M noisy.wav denoised.wav both.wav
sox both.wav -n spectrogram -x 900 -y 257 -t "Zuver Aduz: noisy (top) and denoised (bottom)" -o spectrogram.png

level() { sox "$1" -n trim "$2" "$3" stat 2>&1 | awk '/RMS +amplitude/ {printf "%.1f", 20 * log($3) / log(10)}'; }
echo "noisy speech:     $out/noisy.wav"
echo "denoised speech:  $out/denoised.wav"
echo "spectrogram:      $out/spectrogram.png"
echo "noise floor (first second): $(level noisy.wav 0.2 1.0) dB before, $(level denoised.wav 0.2 1.0) dB after"
