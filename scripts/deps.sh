# Sourced by run.sh and test.sh: installs the Debian packages that are
# missing. `install_deps` installs what building and running the program
# need; `install_deps test` adds the tools of the tests, benchmarks, fuzz
# runs and end-to-end tests.
VORN_RUN_PACKAGES="cmake g++ make pkg-config freeglut3-dev libglew-dev libopenal-dev libx11-dev \
console-data"
# GoogleTest and Google Benchmark; Xvfb, xdotool, xdpyinfo (x11-utils) and
# ImageMagick's import for the window tests, sox for the beep; clang and its
# runtime for libFuzzer; GMP for the exact rationals of the numeric tests.
VORN_TEST_PACKAGES="libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-apps x11-utils imagemagick \
sox clang libclang-rt-14-dev libgmp-dev"

install_deps() {
  local wanted="$VORN_RUN_PACKAGES"
  [ "${1:-}" = test ] && wanted="$wanted $VORN_TEST_PACKAGES"
  local missing=()
  for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    local SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
