#!/usr/bin/env bash
# export_baseline.sh [--zip] LIST WORK OUT [TOOL SWITCH...]: the work of Export
# All done with standard tools, the benchmarks' baseline. LIST has one line per
# exported device: its package folder and its archive name, tab-separated. Each
# folder is copied to WORK without its *.pnf files, packed with `7z a -mx5` (with
# --zip: `zip -6 -r`) plus the extra switches into OUT/<archive name>, and the
# copy is deleted; a later device of the same name replaces the archive.
set -euo pipefail
zip=0
if [ "$1" = --zip ]; then zip=1; shift; fi
list=$1 work=$2 out=$3
shift 3
while IFS=$'\t' read -r package name; do
  copy="$work/$(basename "$package")"
  cp -r "$package" "$copy"
  find "$copy" -iname '*.pnf' -delete
  if [ $zip = 1 ]; then
    rm -f "$out/$name.zip"
    (cd "$copy" && zip -q -6 -r "$@" "$out/$name.zip" .)
  else
    rm -f "$out/$name.7z"
    (cd "$copy" && 7z a -mx5 "$@" -bd "$out/$name.7z" . > /dev/null)
  fi
  rm -rf "${copy:?}"
done < "$list"
