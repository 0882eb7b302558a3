#!/usr/bin/env bash
# Validates the desktop entry and the metainfo of the packaging folder given.
set -euo pipefail
folder="$1"
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done
desktop-file-validate "$folder/org.skelmora.Skelmora.desktop"
appstreamcli validate --no-net --strict "$folder/org.skelmora.Skelmora.metainfo.xml"
echo "both valid"
