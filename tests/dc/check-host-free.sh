#!/usr/bin/env bash
# Refuses, with the reason, when this host cannot take a throwaway domain
# controller without disturbing what already runs here: a Samba or AD
# service is running, or something already listens on the controller's
# address (127.0.0.2, or CORVANE_DC_IP) on port 445, 389 or 88, also
# through a wildcard address.
set -euo pipefail
readonly host_ip=${CORVANE_DC_IP:-127.0.0.2}
problems=()

# Services by their manager; without systemd, by the pid files Samba's
# services write (a throwaway controller keeps its own elsewhere).
declare -A pid_files=([samba-ad-dc]=samba [smbd]=smbd [nmbd]=nmbd [winbind]=winbindd)
for service in samba-ad-dc smbd nmbd winbind; do
  if [[ -d /run/systemd/system ]]; then
    systemctl is-active --quiet "$service" 2>/dev/null &&
      problems+=("the $service service is running")
  else
    pid_file=/run/samba/${pid_files[$service]}.pid
    [[ -s $pid_file ]] && kill -0 "$(head -n1 "$pid_file")" 2>/dev/null &&
      problems+=("the $service service is running (pid file $pid_file)")
  fi
done

if ! command -v ss >/dev/null; then
  echo "check-host-free.sh: ss is missing (Debian package iproute2)" >&2
  exit 1
fi
for port in 445 389 88; do
  for address in "$host_ip" 0.0.0.0 '[::]' '*'; do
    if ss -ltnH "sport = :$port" | awk '{print $4}' |
        grep -qxF "$address:$port"; then
      problems+=("something already listens on $address port $port")
    fi
  done
done

if ((${#problems[@]})); then
  echo "A throwaway domain controller on $host_ip would collide with this host:" >&2
  printf '  - %s\n' "${problems[@]}" >&2
  echo "Stop it first, or use the simulated controller: cli/run-demo.sh --simulate" >&2
  exit 1
fi
