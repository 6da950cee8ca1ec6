#!/usr/bin/env bash
# Pulls a naming context's changes from one controller of with-dcs.sh into
# another's database now, rather than at the controllers' next scheduled
# replication: samba-tool drs replicate --local, as the administrator, run
# under the destination controller's name-service and resolver wrappers.
#
#   replicate.sh DEST_DIR SOURCE_DNS_NAME [NAMING_CONTEXT]
#
# DEST_DIR is the destination controller's directory (CORVANE_DC2_DIR);
# the naming context defaults to the domain's.
set -euo pipefail

if (($# < 2 || $# > 3)); then
  echo "usage: $0 DEST_DIR SOURCE_DNS_NAME [NAMING_CONTEXT]" >&2
  exit 2
fi
dir=$(cd "$1" && pwd)
source_name=$2
# shellcheck source=/dev/null
source "$dir/dc.env"
if [[ ! -s $dir/wrapper.env ]]; then
  echo "replicate.sh: $dir is not a controller with its own DNS" >&2
  exit 2
fi
context=${3:-DC=${CORVANE_DC_REALM//./,DC=}}
# Written by start-dc.sh with printf %q.
eval "wrapper=($(cat "$dir/wrapper.env"))"
PASSWD=$(sed -n 's/^password = //p' "$CORVANE_DC_AUTH_FILE") \
  env "${wrapper[@]}" samba-tool drs replicate "$CORVANE_DC_NAME" \
  "$source_name" "$context" --local -s "$CORVANE_DC_SMB_CONF" -U Administrator
