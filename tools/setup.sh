# Sourced by the run scripts: installs the build tools when they are missing. Google
# Benchmark is optional: without it the benchmark is not built.
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev)
missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v g++ >/dev/null || missing+=(g++)
command -v make >/dev/null || missing+=(make)
[[ -f /usr/include/gtest/gtest.h ]] || missing+=(libgtest-dev)
[[ -f /usr/include/gmock/gmock.h ]] || missing+=(libgmock-dev)
optional_missing=()
[[ -f /usr/include/benchmark/benchmark.h ]] || optional_missing+=(libbenchmark-dev)
if ((${#missing[@]} + ${#optional_missing[@]})); then
  if [[ $(id -u) == 0 ]]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${packages[@]}" >/dev/null
  elif ((${#missing[@]})); then
    echo "missing: ${missing[*]} (install with: sudo apt-get install ${packages[*]})" >&2
    exit 1
  else
    echo "not installed: ${optional_missing[*]}; the benchmark is not built" >&2
  fi
fi
