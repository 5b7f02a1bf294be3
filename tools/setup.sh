# Sourced by the run scripts: installs the build tools when they are missing.
packages=(cmake g++ make libgtest-dev libgmock-dev)
missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v g++ >/dev/null || missing+=(g++)
command -v make >/dev/null || missing+=(make)
[[ -f /usr/include/gtest/gtest.h ]] || missing+=(libgtest-dev)
[[ -f /usr/include/gmock/gmock.h ]] || missing+=(libgmock-dev)
if ((${#missing[@]})); then
  if [[ $(id -u) == 0 ]]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${packages[@]}" >/dev/null
  else
    echo "missing: ${missing[*]} (install with: sudo apt-get install ${packages[*]})" >&2
    exit 1
  fi
fi
