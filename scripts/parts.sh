# Sourced by scripts/test and scripts/test-extra: runs the parts of a check one by one, notes what each cost
# (wall seconds, and the CPU seconds of its processes from bash's `times`, which a busy machine affects less)
# and prints them as a table at the end. A failing part does not stop the later ones; `part ... || return`
# marks the parts the rest cannot do without (a build).

part_names=() part_walls=() part_cpus=() part_results=()
failed_parts=()
part_cpu_file=$(mktemp)
parts_began=$EPOCHREALTIME
beside_parts=0
trap 'rm -f "$part_cpu_file" "$part_cpu_file".beside*' EXIT

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

# part_beside NAME COMMAND...: starts a part in the background, beside the parts that follow, with its output
# kept until part_end prints it. For a part that leaves a processor idle part of the time (waiting on disk,
# a display, one process at a time), so that two parts share the machine's two processors.
part_beside() {
  beside_name=$1
  shift
  beside_start=$EPOCHREALTIME
  beside_log=$part_cpu_file.beside
  echo "=== $beside_name: started beside the next parts (its output follows when it ends)"
  (
    status=0
    "$@" || status=$?
    times >"$beside_log.cpu"
    exit "$status"
  ) >"$beside_log" 2>&1 &
  beside_pid=$!
}

# part_end: waits for the part started by part_beside, prints its output and notes its cost as part does;
# returns its status.
part_end() {
  local status=0 cpu
  wait "$beside_pid" || status=$?
  echo "=== $beside_name (started beside the parts above)"
  cat "$beside_log"
  cpu=$(tail -n 1 "$beside_log.cpu" 2>/dev/null |
    awk '{ s = 0; for (i = 1; i <= NF; i++) { split($i, t, "m"); s += t[1] * 60 + t[2] } printf "%.0f", s }')
  part_names+=("$beside_name *")
  part_walls+=("$(awk -v a="$beside_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }')")
  part_cpus+=("${cpu:-0}")
  beside_parts=1
  if [ "$status" -eq 0 ]; then
    part_results+=(ok)
  else
    part_results+=("failed ($status)")
    failed_parts+=("$beside_name")
  fi
  return "$status"
}

# Prints the table of the parts run so far and fails when one of them failed. With a part run beside others,
# the total wall time is the time elapsed, not the sum of the rows.
parts_summary() {
  local total_wall=0 total_cpu=0 i
  echo
  printf '%-18s %8s %8s  %s\n' part "wall s" "cpu s" result
  for i in "${!part_names[@]}"; do
    printf '%-18s %8s %8s  %s\n' "${part_names[$i]}" "${part_walls[$i]}" "${part_cpus[$i]}" "${part_results[$i]}"
    total_wall=$((total_wall + part_walls[i]))
    total_cpu=$((total_cpu + part_cpus[i]))
  done
  if [ "$beside_parts" -eq 1 ]; then
    total_wall=$(awk -v a="$parts_began" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }')
    printf '%-18s %8s %8s\n' total "$total_wall" "$total_cpu"
    echo "* ran beside the parts after it; the total is the time elapsed"
  else
    printf '%-18s %8s %8s\n' total "$total_wall" "$total_cpu"
  fi
  if [ ${#failed_parts[@]} -gt 0 ]; then
    echo "failed: ${failed_parts[*]}"
    return 1
  fi
}
