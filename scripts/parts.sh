# Sourced by scripts/test and scripts/test-extra: runs the parts of a check one by one, notes what each cost
# (wall seconds, and the CPU seconds of its processes from bash's `times`, which a busy machine affects less)
# and prints them as a table at the end. A failing part does not stop the later ones; `part ... || return`
# marks the parts the rest cannot do without (a build).

part_names=() part_walls=() part_cpus=() part_results=()
failed_parts=()
part_cpu_file=$(mktemp)
trap 'rm -f "$part_cpu_file"' EXIT

# Children's user + system seconds as last noted by note_cpu (the second line of `times`). `times` must run in
# this shell, not in a command substitution's subshell, which has no children of its own.
note_cpu() {
  times >"$part_cpu_file"
}
noted_cpu() {
  tail -n 1 "$part_cpu_file" |
    awk '{ s = 0; for (i = 1; i <= NF; i++) { split($i, t, "m"); s += t[1] * 60 + t[2] } printf "%.1f", s }'
}

# part NAME COMMAND...: runs one part and notes its cost and whether it passed; returns its status.
part() {
  local name=$1
  shift
  local start=$EPOCHREALTIME cpu0 cpu1 status=0
  note_cpu
  cpu0=$(noted_cpu)
  echo "=== $name"
  "$@" || status=$?
  note_cpu
  cpu1=$(noted_cpu)
  part_names+=("$name")
  part_walls+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }')")
  part_cpus+=("$(awk -v a="$cpu0" -v b="$cpu1" 'BEGIN { printf "%.0f", b - a }')")
  if [ "$status" -eq 0 ]; then
    part_results+=(ok)
  else
    part_results+=("failed ($status)")
    failed_parts+=("$name")
  fi
  return "$status"
}

# Prints the table of the parts run so far and fails when one of them failed.
parts_summary() {
  local total_wall=0 total_cpu=0 i
  echo
  printf '%-18s %8s %8s  %s\n' part "wall s" "cpu s" result
  for i in "${!part_names[@]}"; do
    printf '%-18s %8s %8s  %s\n' "${part_names[$i]}" "${part_walls[$i]}" "${part_cpus[$i]}" "${part_results[$i]}"
    total_wall=$((total_wall + part_walls[i]))
    total_cpu=$((total_cpu + part_cpus[i]))
  done
  printf '%-18s %8s %8s\n' total "$total_wall" "$total_cpu"
  if [ ${#failed_parts[@]} -gt 0 ]; then
    echo "failed: ${failed_parts[*]}"
    return 1
  fi
}
