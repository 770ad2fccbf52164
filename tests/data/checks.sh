#!/usr/bin/env bash
# The desktop files checked by the tools the desktops and Debian check them with: the
# desktop entry, the AppStream metainfo and the manual pages.
#   checks.sh SOURCE_DATA_DIR
set -euo pipefail

data=$1
status=0
desktop-file-validate "$data/io.github.pinwright.Pinwright.desktop" || status=1
appstreamcli validate --no-net "$data/io.github.pinwright.Pinwright.metainfo.xml" || status=1
for page in "$data"/pinwright.1 "$data"/pinwright-cli.1; do
  # Any warning of groff or man fails the check.
  warnings=$( { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >/dev/null; } 2>&1
              groff -ww -z -man "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page:" >&2
    echo "$warnings" >&2
    status=1
  fi
done
exit $status
