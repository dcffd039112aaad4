#!/usr/bin/env bash
# How much starting translation pipelines side by side can save on this
# machine: Apertium's own pipelines for the directions a first run through
# es,fr,it,pt,ca,gl,ro takes (Spanish is the pivot of French, Italian,
# Portuguese and Romanian), each translating one sentence, started one
# after another and then all at once. The ratio is the floor of what
# preparing a plan's routes together can reach: each pipeline's stages
# already load side by side, so on few cores the gain is small. Median of
# three, each pair of runs measured back to back.
#   bench/PipelineStartBench.sh
set -euo pipefail
modes=(eng-spa spa-eng es-fr fr-es spa-ita ita-spa es-pt pt-es eng-cat cat-eng en-gl gl-en ro-es)
sentence="The old man walks to the market every morning."

now() { date +%s.%N; }
translate() { echo "$sentence" | apertium -u -f txt "$1" >/dev/null; }

one_after_another() {
  local start; start=$(now)
  for mode in "${modes[@]}"; do translate "$mode"; done
  echo "$(now) - $start" | bc
}

all_at_once() {
  local start; start=$(now)
  for mode in "${modes[@]}"; do translate "$mode" & done
  wait
  echo "$(now) - $start" | bc
}

median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

load=$(cut -d' ' -f1 /proc/loadavg)
serial=() parallel=()
for _ in 1 2 3; do
  serial+=("$(one_after_another)")
  parallel+=("$(all_at_once)")
done
s=$(median "${serial[@]}") p=$(median "${parallel[@]}")
echo "cores: $(nproc), load before: $load"
printf '%d pipelines one after another: %.2f s\n' "${#modes[@]}" "$s"
printf '%d pipelines all at once:       %.2f s\n' "${#modes[@]}" "$p"
printf 'ratio at once / one by one:     %.2f\n' "$(echo "$p / $s" | bc -l)"
