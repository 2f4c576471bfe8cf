# Shared by the update_expected.sh scripts. bless <expected file> <command...> writes the
# command's output to the expected file, but refuses empty output and an exit status other
# than the one recorded for the file in the folder's exit_status.txt (0 when not listed),
# so a crash's partial output is never approved; summary lists what changed.
changed=0
refused=0
bless() {
  local file=$1
  shift
  local out status=0 was
  out=$(mktemp)
  "$@" >"$out" 2>/dev/null || status=$?
  was=$(awk -v f="$(basename "$file")" '$1 == f { print $2 }' "$(dirname "$file")/exit_status.txt" 2>/dev/null)
  was=${was:-0}
  if [ ! -s "$out" ] || [ "$status" != "$was" ]; then
    echo "refused: $file (exit status $status, expected $was; $(wc -c <"$out") bytes of output)" >&2
    refused=$((refused + 1))
    rm -f "$out"
  elif [ ! -f "$file" ]; then
    echo "new: $file"
    changed=$((changed + 1))
    mv "$out" "$file"
  elif ! cmp -s "$out" "$file"; then
    echo "changed: $file ($(diff "$file" "$out" | grep -c '^[<>]') lines differ)"
    changed=$((changed + 1))
    mv "$out" "$file"
  else
    rm -f "$out"
  fi
}
summary() {
  echo "$changed expected files changed, $refused refused"
  [ "$refused" -eq 0 ]
}
