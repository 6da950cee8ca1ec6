#!/usr/bin/env bash
# Runs a command with two replicating throwaway domain controllers of one
# domain up, and stops both on every way out. The first, DC1 on 127.0.0.2
# (CORVANE_DC_IP), is provisioned; the second, DC2 on 127.0.0.3
# (CORVANE_DC2_IP), is joined to it as a domain controller. Both answer DNS
# for the realm on their own address, with the service records of both
# (_ldap._tcp.dc._msdcs.REALM and the site's), so that clients can find
# them from DNS.
#
#   with-dcs.sh COMMAND [ARG...]
#
# The command sees the first controller as CORVANE_DC_* (as with-dc.sh
# describes it), the second as CORVANE_DC2_* (HOST, NAME, DIR, PID, SMB_CONF,
# CLIENT_CONF), and CORVANE_DNS_SERVER=the first's address (the resolver
# the backend is to ask instead of the host's). Its exit status is this
# script's. CORVANE_DC_KEEP_DIR=1 keeps the controllers' directories.
#
# Holds the same machine-wide lock as with-dc.sh (CORVANE_DC_LOCK), so that
# no other controller runs meanwhile.
set -euo pipefail

if (($# == 0)); then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z ${CORVANE_DC_LOCK_HELD:-} ]]; then
  exec {lock_fd}>"${CORVANE_DC_LOCK:-/tmp/corvane-dc-stage.lock}"
  flock "$lock_fd"
  export CORVANE_DC_LOCK_HELD=1
fi
readonly first_ip=${CORVANE_DC_IP:-127.0.0.2}
readonly second_ip=${CORVANE_DC2_IP:-127.0.0.3}
stage=$(mktemp -d "${TMPDIR:-/tmp}/corvane-dcs.XXXXXX")

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  "$here/stop-dc.sh" "$stage/dc2" || true
  "$here/stop-dc.sh" "$stage/dc1" || true
  if [[ ${CORVANE_DC_KEEP_DIR:-0} == 1 ]]; then
    echo "with-dcs.sh: controllers' directory kept: $stage" >&2
  else
    rm -rf "$stage"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export CORVANE_DC_DNS=1 CORVANE_DC_HOSTS_FILE=$stage/hosts CORVANE_DC_DNS_IP=$first_ip
CORVANE_DC_IP=$first_ip CORVANE_DC_HOST_NAME=DC1 \
  "$here/start-dc.sh" "$stage/dc1"
CORVANE_DC_IP=$second_ip CORVANE_DC_HOST_NAME=DC2 \
  "$here/start-dc.sh" "$stage/dc2" "$stage/dc1"
unset CORVANE_DC_DNS CORVANE_DC_HOSTS_FILE CORVANE_DC_DNS_IP

set -a
# shellcheck source=/dev/null
source "$stage/dc2/dc.env"
set +a
for name in HOST NAME DIR PID SMB_CONF CLIENT_CONF; do
  variable=CORVANE_DC_$name
  export "CORVANE_DC2_$name=${!variable}"
done
set -a
# shellcheck source=/dev/null
source "$stage/dc1/dc.env"
set +a
export CORVANE_DNS_SERVER=$first_ip

# The address and service records of the second controller (the first's are made when
# the domain is provisioned; a joined controller's would be added by its DNS
# update service, which goes through the host's resolver and is off here).
realm_lower=${CORVANE_DC_REALM,,}
admin_password=$(sed -n 's/^password = //p' "$CORVANE_DC_AUTH_FILE")
add_record() {
  PASSWD=$admin_password samba-tool dns add "$first_ip" "$1" "$2" SRV "$3" \
    -s "$CORVANE_DC_CLIENT_CONF" -U Administrator >/dev/null
}
dc2_name=${CORVANE_DC2_NAME,,}.$realm_lower
PASSWD=$admin_password samba-tool dns add "$first_ip" "$realm_lower" \
  "${CORVANE_DC2_NAME,,}" A "$second_ip" -s "$CORVANE_DC_CLIENT_CONF" \
  -U Administrator >/dev/null 2>&1 || true  # the join may have made it
add_record "$realm_lower" _ldap._tcp "$dc2_name 389 0 100"
add_record "_msdcs.$realm_lower" _ldap._tcp.dc "$dc2_name 389 0 100"
add_record "_msdcs.$realm_lower" \
  _ldap._tcp.Default-First-Site-Name._sites.dc "$dc2_name 389 0 100"
add_record "$realm_lower" _kerberos._tcp "$dc2_name 88 0 100"
# Both DNS servers answer with both controllers: the zones pulled into DC2.
for zones in DomainDnsZones ForestDnsZones; do
  "$here/replicate.sh" "$CORVANE_DC2_DIR" "${CORVANE_DC_NAME,,}.$realm_lower" \
    "DC=$zones,DC=${realm_lower//./,DC=}" >>"$stage/replicate.log" 2>&1
done

"$@"
