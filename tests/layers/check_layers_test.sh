#!/usr/bin/env bash
# Runs the layer check over a throwaway tree with one client file, once per case: what the client
# includes, and whether the check must accept it.
set -euo pipefail
check=$1
failures=0

expect() { # verdict client-path header...
  local verdict=$1 client=$2
  shift 2
  local root
  root=$(mktemp -d)
  mkdir -p "$root/scripts" "$root/applet/include" "$root/applet/params" "$root/libs/boardhw/src/pipeline" \
    "$root/$(dirname "$client")"
  cp "$check" "$root/scripts/check-layers"
  touch "$root/applet/include/kestrel12.h" "$root/applet/params/parameter_catalogue.h" \
    "$root/libs/boardhw/src/pipeline/shading.h"
  for header in "$@"; do printf '#include "%s"\n' "$header"; done >"$root/$client"
  git -C "$root" init -q
  local got=accepted
  "$root/scripts/check-layers" >/dev/null 2>&1 || got=refused
  rm -rf "$root"
  if [[ $got != "$verdict" ]]; then
    echo "failed: $client including $* was $got, expected $verdict"
    failures=$((failures + 1))
  fi
}

expect accepted tools/kestrel/core/view.cpp kestrel12.h
expect refused tools/kestrel/core/view.cpp params/parameter_catalogue.h
expect refused tools/kestrel/core/view.cpp parameter_catalogue.h
expect refused tools/kestrel/core/view.cpp pipeline/shading.h
expect accepted bench/params/params_bench.cpp params/parameter_catalogue.h pipeline/shading.h
expect accepted fuzz/config_fuzzer.cpp params/parameter_catalogue.h
exit $((failures == 0 ? 0 : 1))
