#!/bin/bash
# Prepares a Debian machine for building and testing Zuver Aduz.  Safe to run
# again: it installs only the packages that are missing and registers qemu
# for 32-bit programs only where the kernel cannot run them itself.
#
# Needs root for apt-get and binfmt_misc (run as root, or with sudo present).
set -euo pipefail

PACKAGES=(
  # builds
  cmake make g++ git
  # native 32-bit build
  g++-multilib
  # fuzzing: clang with the libFuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
  # unit tests and benchmarks
  googletest libbenchmark-dev
  # the command-line denoiser (sound files), its tests and the demo's sample
  pkg-config libsndfile1-dev sox espeak-ng python3
  # a locale with a decimal comma, for the command parser's tests
  locales
  # Windows cross build
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  # running Windows test programs (where Wine works)
  wine wine32:i386 xvfb xauth
  # running 32-bit programs on kernels without 32-bit execution
  qemu-user-static binfmt-support
)

say() { echo "setup: $*"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    say "needs root for: $*" >&2
    exit 1
  fi
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# --- packages ---------------------------------------------------------------

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  say "adding the i386 architecture (for wine32)"
  as_root dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  say "updating the package lists"
  as_root apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  say "installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  say "all packages present"
fi

# --- a decimal-comma locale -------------------------------------------------
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  say "generating the de_DE.UTF-8 locale"
  as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

# --- 32-bit programs --------------------------------------------------------
# Some kernels are built without 32-bit execution; there the native 32-bit
# test programs run through qemu-user, registered with binfmt_misc.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'int main(void) { return 0; }\n' > "$work/probe.c"
gcc -m32 -static -o "$work/probe32" "$work/probe.c"

if "$work/probe32" 2>/dev/null; then
  say "32-bit programs run"
else
  say "this kernel does not run 32-bit programs: registering qemu-i386 with binfmt_misc"
  binfmt=/proc/sys/fs/binfmt_misc
  if [ ! -e "$binfmt/register" ]; then
    as_root mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    as_root sh -c "printf '%s' ':qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F' > $binfmt/register"
  elif ! grep -qx enabled "$binfmt/qemu-i386"; then
    as_root sh -c "echo 1 > $binfmt/qemu-i386"
  fi
  if "$work/probe32"; then
    say "32-bit programs run through qemu-i386"
  else
    say "32-bit programs still do not run" >&2
    exit 1
  fi
fi
