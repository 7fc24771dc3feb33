# Installs the Debian packages named as arguments when any of them is missing.
# Sourced by the set-up scripts; apt-get runs only when something is missing.
tavo_install_missing() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

TAVO_BUILD_PACKAGES=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-liberation)
TAVO_TEST_PACKAGES=(clang libclang-rt-14-dev)
