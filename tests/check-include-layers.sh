#!/usr/bin/env bash
# Fails when a directory of src/ or tools/ includes a directory that design.md's "Who depends on whom"
# forbids it. Includes run one way, down the table; a callback or an interface that the lower side
# declares carries anything upward.
set -u
root=${1:?usage: check-include-layers.sh PROJECT_DIR}

# Directory -> the directories its files may include ("dir/file.h"), itself included. tools/plugin is the
# plugin console; res/ holds the resource ids.
declare -A may=(
  [app]="app plugin metrics ui alarm ipc skin engine format base res"
  [metrics]="metrics alarm engine format base"
  [plugin]="plugin ipc format base"
  [ui]="ui alarm engine skin format base res"
  [alarm]="alarm engine base"
  [ipc]="ipc engine base"
  [skin]="skin base res"
  [engine]="engine format base"
  [format]="format base"
  [base]="base"
)

status=0
for dir in "$root"/src/* "$root"/tools/*/; do
  dir=${dir%/}
  [ -d "$dir" ] || continue
  name=$(basename "$dir")
  if [ -z "${may[$name]+x}" ]; then
    echo "$dir: not in the table; add it to $(basename "$0") and design.md"
    status=1
    continue
  fi
  while IFS= read -r hit; do
    [[ $hit =~ include[[:space:]]*\"([A-Za-z0-9_]+)/ ]] || continue
    target=${BASH_REMATCH[1]}
    if [[ " ${may[$name]} " != *" $target "* ]]; then
      echo "$name may not include $target: ${hit#"$root"/}"
      status=1
    fi
  done < <(find "$dir" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 \
             | xargs -0 -r grep -nHE '^\s*#\s*include\s*"[A-Za-z0-9_]+/')
done
exit "$status"
