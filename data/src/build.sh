#!/usr/bin/env bash
# Regenerates the shipped definition files: UTF-8 sources to Shift-JIS with CR LF.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python3 "$here/make_definitions.py" "$here"
for name in ParmDef.cfg ParmDefL.cfg ParmDefDbg.cfg; do
  sed 's/$/\r/' "$here/$name.utf8" | iconv -f UTF-8 -t CP932 > "$here/../$name"
done
