#!/usr/bin/env bash
# Provisions a throwaway Samba AD domain controller inside DIR and starts it
# on one loopback address only: 127.0.0.2, or CORVANE_DC_IP (another
# 127.0.0.x, so that two checkouts can each run a controller). Nothing is
# written outside DIR. When the script returns
# the controller answers; DIR/dc.env then describes it (shell syntax) and
# DIR/samba.pid holds the pid that stop-dc.sh signals.
#
#   start-dc.sh DIR
set -euo pipefail

if (($# != 1)); then
  echo "usage: $0 DIR" >&2
  exit 2
fi
mkdir -p "$1"
dir=$(cd "$1" && pwd)

readonly host_ip=${CORVANE_DC_IP:-127.0.0.2}
if [[ ! $host_ip =~ ^127\.0\.0\.([2-9]|[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-4])$ ]]; then
  echo "start-dc.sh: CORVANE_DC_IP must be a loopback address 127.0.0.2-254" >&2
  exit 2
fi
readonly host_name=DC1
readonly realm=CORVANE.TEST
readonly domain=CORVANE
readonly dc_root=$dir/dc
readonly dc_conf=$dc_root/etc/smb.conf

if [[ -s $dir/samba.pid ]] && kill -0 "$(cat "$dir/samba.pid")" 2>/dev/null; then
  echo "start-dc.sh: a controller from $dir is already running" >&2
  exit 1
fi

# Administrator password: random, meets the default complexity rules, and
# only ever stored in the mode-600 authentication file.
admin_password="Cv1-$(head -c 18 /dev/urandom | base64 | tr -d '/+=')"
umask 077
auth_file=$dir/admin.auth
printf 'username = Administrator\npassword = %s\ndomain = %s\n' \
  "$admin_password" "$domain" >"$auth_file"

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

if [[ ! -f $dc_conf ]]; then
  rm -rf "$dc_root"
  mkdir -p "$dc_root/log" "$dc_root/run" "$dc_root/ncalrpc" "$dc_root/ntp_signd"
  : >"$dir/empty.conf"
  samba-tool domain provision -s "$dir/empty.conf" \
    --targetdir="$dc_root" --realm="$realm" --domain="$domain" \
    --adminpass="$admin_password" --server-role=dc --dns-backend=NONE \
    --host-name="$host_name" --host-ip="$host_ip" \
    --option="interfaces = $host_ip/8" \
    --option="bind interfaces only = yes" \
    --option="server services = -dns -dnsupdate -nbt -wrepl -ntp_signd" \
    --option="disable netbios = yes" \
    --option="name resolve order = host" \
    --option="log file = $dc_root/log/%m.log" \
    --option="pid directory = $dc_root/run" \
    --option="ncalrpc dir = $dc_root/ncalrpc" \
    --option="ntp signd socket directory = $dc_root/ntp_signd" \
    >"$dir/provision.log" 2>&1 || {
      echo "start-dc.sh: provisioning failed, see $dir/provision.log" >&2
      exit 1
    }
else
  # Reused directory: the password in the new authentication file must be
  # the one the directory holds.
  samba-tool user setpassword Administrator -s "$dc_conf" \
    --newpassword="$admin_password" >/dev/null 2>&1 || true
fi

samba -i -s "$dc_conf" --debuglevel=1 >"$dir/samba.out" 2>&1 &
samba_pid=$!
echo "$samba_pid" >"$dir/samba.pid"

ready=0
for _ in $(seq 1 120); do
  if ! kill -0 "$samba_pid" 2>/dev/null; then
    echo "start-dc.sh: samba exited, see $dir/samba.out" >&2
    exit 1
  fi
  if smbclient "//$host_ip/IPC\$" -s "$client_conf" -A "$auth_file" \
      -c exit >/dev/null 2>&1; then
    ready=1
    break
  fi
  sleep 0.5
done
if ((!ready)); then
  echo "start-dc.sh: controller did not answer within 60 s" >&2
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
