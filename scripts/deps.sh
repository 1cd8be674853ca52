# Sourced by run.sh and test.sh: installs the Debian packages the build and
# the tests need, when any is missing.
VORN_PACKAGES="cmake g++ make pkg-config libgtest-dev libbenchmark-dev freeglut3-dev libglew-dev \
libopenal-dev console-data xvfb xauth xdotool x11-apps x11-utils imagemagick sox clang \
libclang-rt-14-dev libgmp-dev libx11-dev util-linux"

install_deps() {
  local missing=()
  for p in $VORN_PACKAGES; do
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
