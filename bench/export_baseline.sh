#!/usr/bin/env bash
# export_baseline.sh STORE WORK OUT [7Z SWITCH...]: the work of Export All done
# with standard tools, the benchmark's baseline. Each package folder of STORE is
# copied to WORK without its *.pnf files, packed with `7z a -mx5` (and the extra
# switches) into OUT, and the copy is deleted.
set -euo pipefail
store=$1 work=$2 out=$3
shift 3
for package in "$store"/*/; do
  name=$(basename "$package")
  name=${name%%.inf_*}
  cp -r "$package" "$work/$name"
  find "$work/$name" -iname '*.pnf' -delete
  (cd "$work/$name" && 7z a -mx5 "$@" -bd "$out/$name.7z" . > /dev/null)
  rm -rf "${work:?}/$name"
done
