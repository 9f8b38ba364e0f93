#!/bin/sh
# Lists a saved profile file with an LHA archiver of the host and checks that
# every expected member is in it. Usage: list_profile.sh LHA FILE MEMBER...
set -u
lha=$1 file=$2
shift 2
listing=$("$lha" l "$file") || { echo "$lha cannot list $file"; exit 1; }
echo "$listing"
status=0
for member in "$@"; do
  echo "$listing" | grep -q -E "[[:space:]]$member\$" || { echo "missing member: $member"; status=1; }
done
exit $status
