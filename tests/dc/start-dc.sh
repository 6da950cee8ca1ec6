#!/usr/bin/env bash
# Provisions a throwaway Samba AD domain controller inside DIR and starts it
# on one loopback address only: 127.0.0.2, or CORVANE_DC_IP (another
# 127.0.0.x). Nothing is written outside DIR. When the script returns
# the controller answers; DIR/dc.env then describes it (shell syntax) and
# DIR/samba.pid holds the pid that stop-dc.sh signals.
#
#   start-dc.sh DIR [FIRST_DIR]
#
# With FIRST_DIR (a running controller's directory) the new controller is
# not provisioned but joined to that one's domain as a second, replicating
# domain controller (samba-tool domain join ... DC), named
# CORVANE_DC_HOST_NAME (DC2 by default); it uses the first one's
# administrator. Every folder a controller keeps sockets, locks or state in
# is inside its own DIR, so that two run side by side (see
# docs/samba-backend.md).
#
# CORVANE_DC_DNS=1 gives the controller Samba's internal DNS server,
# answering on its own address (port 53) for the realm; without it there is
# no DNS server. Such a controller (and samba-tool joining it) runs under
# the name-service and resolver wrappers (libnss-wrapper,
# libresolv-wrapper), as Samba's own test environment does: host names come
# from the hosts file CORVANE_DC_HOSTS_FILE (DIR/hosts by default; several
# controllers share one, each adding its names) and DNS questions go to
# the first controller's DNS server (CORVANE_DC_DNS_IP, default this
# one's), never to the host's resolver.
set -euo pipefail

if (($# < 1 || $# > 2)); then
  echo "usage: $0 DIR [FIRST_DIR]" >&2
  exit 2
fi
mkdir -p "$1"
dir=$(cd "$1" && pwd)
first_dir=
if (($# == 2)); then
  first_dir=$(cd "$2" && pwd)
  if [[ ! -s $first_dir/dc.env ]]; then
    echo "start-dc.sh: $first_dir holds no running controller" >&2
    exit 2
  fi
fi

readonly host_ip=${CORVANE_DC_IP:-127.0.0.2}
if [[ ! $host_ip =~ ^127\.0\.0\.([2-9]|[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-4])$ ]]; then
  echo "start-dc.sh: CORVANE_DC_IP must be a loopback address 127.0.0.2-254" >&2
  exit 2
fi
if [[ -n $first_dir ]]; then
  readonly host_name=${CORVANE_DC_HOST_NAME:-DC2}
else
  readonly host_name=${CORVANE_DC_HOST_NAME:-DC1}
fi
if [[ ! $host_name =~ ^[A-Z][A-Z0-9]{0,14}$ ]]; then
  echo "start-dc.sh: CORVANE_DC_HOST_NAME must be a NetBIOS name (A-Z, 0-9)" >&2
  exit 2
fi
readonly dns=${CORVANE_DC_DNS:-0}
hosts_file=${CORVANE_DC_HOSTS_FILE:-$dir/hosts}
readonly realm=CORVANE.TEST
readonly domain=CORVANE
readonly dc_root=$dir/dc
readonly dc_conf=$dc_root/etc/smb.conf

if [[ -s $dir/samba.pid ]] && kill -0 "$(cat "$dir/samba.pid")" 2>/dev/null; then
  echo "start-dc.sh: a controller from $dir is already running" >&2
  exit 1
fi

# Administrator password: random, meets the default complexity rules, and
# only ever stored in the mode-600 authentication file. A joined controller
# shares the first one's administrator.
umask 077
auth_file=$dir/admin.auth
if [[ -n $first_dir ]]; then
  cp "$first_dir/admin.auth" "$auth_file"
  admin_password=$(sed -n 's/^password = //p' "$auth_file")
else
  admin_password="Cv1-$(head -c 18 /dev/urandom | base64 | tr -d '/+=')"
  printf 'username = Administrator\npassword = %s\ndomain = %s\n' \
    "$admin_password" "$domain" >"$auth_file"
fi

# The clients of these scripts (smbclient, samba-tool) resolve names only
# from the hosts table and never use NetBIOS.
client_conf=$dir/client.conf
cat >"$client_conf" <<CONF
[global]
  workgroup = $domain
  realm = $realm
  name resolve order = host
  disable netbios = yes
  client use kerberos = off
  log file = $dir/client.log
  lock directory = $dir/client
  state directory = $dir/client
  cache directory = $dir/client
  private dir = $dir/client
  ncalrpc dir = $dir/client/ncalrpc
CONF
mkdir -p "$dir/client"

# The controller's Kerberos configuration: its realm's KDCs by address, no
# DNS look-up of KDCs or realms (Samba reads krb5.conf beside its smb.conf).
dns_name=$(echo "$host_name" | tr 'A-Z' 'a-z').$(echo "$realm" | tr 'A-Z' 'a-z')
write_krb5_conf() {
  # With its own DNS a controller finds the KDCs as Samba's controllers do,
  # from the realm's service records (through the resolver wrapper): the
  # principals controllers replicate with name the realm in lower case.
  local lookup=false
  ((dns)) && lookup=true
  {
    printf '[libdefaults]\n  default_realm = %s\n' "$realm"
    printf '  dns_lookup_realm = false\n  dns_lookup_kdc = %s\n' "$lookup"
    printf '[realms]\n  %s = {\n    kdc = %s\n  }\n' "$realm" "$host_ip"
  } >"$dc_root/etc/krb5.conf"
}

# What every controller of these scripts is given: its own address only,
# every folder of sockets, locks and state inside DIR, no NetBIOS, no time
# service, no DNS updates (they would go through the host's resolver).
options=(
  "interfaces = $host_ip/8"
  "bind interfaces only = yes"
  "disable netbios = yes"
  "log file = $dc_root/log/%m.log"
  "pid directory = $dc_root/run"
  "ncalrpc dir = $dc_root/ncalrpc"
  "ntp signd socket directory = $dc_root/ntp_signd"
  "binddns dir = $dc_root/bind-dns"
)
options+=("name resolve order = host")
wrapped=()
if ((dns)); then
  # DNS answered by the controller itself for its zones, never forwarded
  # (no forwarder is set).
  options+=("server services = -dnsupdate -nbt -wrepl -ntp_signd"
            "winbindd socket directory = $dc_root/winbindd")
  dns_backend=SAMBA_INTERNAL
  preload=()
  for library in libnss_wrapper.so libresolv_wrapper.so; do
    found=$(compgen -G "/usr/lib/*/$library" | head -n1 || true)
    if [[ -z $found ]]; then
      echo "start-dc.sh: $library is missing (tests/dc/install-packages.sh)" >&2
      exit 1
    fi
    preload+=("$found")
  done
  printf 'nameserver %s\n' "${CORVANE_DC_DNS_IP:-$host_ip}" >"$dir/resolv.conf"
  touch "$hosts_file"
  # Users and groups as the host has them. With the name-service wrapper's
  # own tables in place, Samba's processes also find winbindd's socket in
  # the controller's folder (libwbclient takes it from the environment only
  # then), so that each controller has its own winbindd.
  cp /etc/passwd "$dir/passwd"
  cp /etc/group "$dir/group"
  wrapped=(env LD_PRELOAD="${preload[*]}"
           NSS_WRAPPER_PASSWD="$dir/passwd" NSS_WRAPPER_GROUP="$dir/group"
           NSS_WRAPPER_HOSTS="$hosts_file"
           SELFTEST_WINBINDD_SOCKET_DIR="$dc_root/winbindd"
           RESOLV_WRAPPER_CONF="$dir/resolv.conf"
           KRB5_CONFIG="$dc_root/etc/krb5.conf")
  # For tools run later on this controller's behalf (replicate.sh).
  printf '%q ' "${wrapped[@]:1}" >"$dir/wrapper.env"
else
  options+=("server services = -dns -dnsupdate -nbt -wrepl -ntp_signd")
  dns_backend=NONE
fi
option_args=()
for option in "${options[@]}"; do option_args+=("--option=$option"); done

# Lets the controller find itself and the others by their names:
# its host name and replication name in the shared hosts file.
register_names() {
  local guid
  guid=$(ldbsearch -H "$dc_root/private/sam.ldb" -s base \
    -b "CN=NTDS Settings,CN=$host_name,CN=Servers,CN=Default-First-Site-Name,CN=Sites,CN=Configuration,DC=${realm//./,DC=}" \
    objectGUID 2>/dev/null | sed -n 's/^objectGUID: //p' | head -n1)
  if [[ -z $guid ]]; then
    echo "start-dc.sh: no NTDS Settings found for $host_name" >&2
    exit 1
  fi
  printf '%s %s %s\n' "$host_ip" "$dns_name" "$guid._msdcs.${realm,,}" \
    >>"$hosts_file"
}

if [[ ! -f $dc_conf ]]; then
  rm -rf "$dc_root"
  mkdir -p "$dc_root/log" "$dc_root/run" "$dc_root/ncalrpc" \
    "$dc_root/ntp_signd" "$dc_root/etc"
  : >"$dir/empty.conf"
  write_krb5_conf
  export KRB5_CONFIG=$dc_root/etc/krb5.conf
  if [[ -n $first_dir ]]; then
    first_ip=$(sed -n 's/^CORVANE_DC_HOST=//p' "$first_dir/dc.env")
    PASSWD=$admin_password "${wrapped[@]}" samba-tool domain join "$realm" DC \
      -s "$dir/empty.conf" --targetdir="$dc_root" --server="$first_ip" \
      -U Administrator --use-kerberos=off --dns-backend="$dns_backend" \
      --option="workgroup = $domain" --option="realm = $realm" \
      --option="netbios name = $host_name" \
      "${option_args[@]}" >"$dir/provision.log" 2>&1 || {
        echo "start-dc.sh: joining failed, see $dir/provision.log" >&2
        exit 1
      }
  else
    "${wrapped[@]}" samba-tool domain provision -s "$dir/empty.conf" \
      --targetdir="$dc_root" --realm="$realm" --domain="$domain" \
      --adminpass="$admin_password" --server-role=dc \
      --dns-backend="$dns_backend" \
      --host-name="$host_name" --host-ip="$host_ip" \
      "${option_args[@]}" >"$dir/provision.log" 2>&1 || {
        echo "start-dc.sh: provisioning failed, see $dir/provision.log" >&2
        exit 1
      }
  fi
  write_krb5_conf
  # The provisioning takes the host's name server as the forwarder of every
  # question outside the realm; these controllers answer for the realm only.
  sed -i '/^[[:space:]]*dns forwarder[[:space:]]*=/d' "$dc_conf"
  if ((dns)); then register_names; fi
elif [[ -z $first_dir ]]; then
  # Reused directory: the password in the new authentication file must be
  # the one the directory holds.
  samba-tool user setpassword Administrator -s "$dc_conf" \
    --newpassword="$admin_password" >/dev/null 2>&1 || true
fi
export KRB5_CONFIG=$dc_root/etc/krb5.conf

"${wrapped[@]}" samba -i -s "$dc_conf" --debuglevel="${CORVANE_DC_DEBUGLEVEL:-1}" >"$dir/samba.out" 2>&1 &
samba_pid=$!
echo "$samba_pid" >"$dir/samba.pid"

ready=0
for _ in $(seq 1 120); do
  if ! kill -0 "$samba_pid" 2>/dev/null; then
    echo "start-dc.sh: samba exited, see $dir/samba.out" >&2
    exit 1
  fi
  # SMB with the administrator's logon, and the directory (LDAP), which
  # another controller joins through.
  if smbclient "//$host_ip/IPC\$" -s "$client_conf" -A "$auth_file" \
      -c exit >"$dir/ready.log" 2>&1 &&
      (exec 3<>"/dev/tcp/$host_ip/389") 2>>"$dir/ready.log"; then
    ready=1
    break
  fi
  sleep 0.5
done
if ((!ready)); then
  echo "start-dc.sh: controller did not answer within 60 s:" \
    "$(tail -n1 "$dir/ready.log")" >&2
  kill -TERM "$samba_pid" 2>/dev/null || true
  exit 1
fi

cat >"$dir/dc.env" <<ENV
CORVANE_DC_HOST=$host_ip
CORVANE_DC_NAME=$host_name
CORVANE_DC_REALM=$realm
CORVANE_DC_DOMAIN=$domain
CORVANE_DC_AUTH_FILE=$auth_file
CORVANE_DC_CLIENT_CONF=$client_conf
CORVANE_DC_SMB_CONF=$dc_conf
CORVANE_DC_PID=$samba_pid
CORVANE_DC_DIR=$dir
ENV
