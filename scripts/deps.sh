#!/usr/bin/env bash
# Installs the Debian packages listed in deps/debian-packages that are not
# installed yet, and the Japanese locale when it is missing. Asks apt only
# when something is missing, so a second run takes about a second.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' deps/debian-packages | grep -v '^$')

installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${wanted[@]}" 2>/dev/null \
            | awk '$2 == "installed" { print $1 }' || true)
missing=()
for p in "${wanted[@]}"; do
  grep -qx -- "$p" <<<"$installed" || missing+=("$p")
done

sudo=""
need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to $1" >&2; exit 1; }
    sudo="sudo"
  fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  need_root "install: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}"
fi

# A Japanese locale, which the toolkit's texts are chosen through when the
# machine has one. Enabled in /etc/locale.gen so that a later locale-gen
# keeps it; generated only when it is missing.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "Generating the ja_JP.UTF-8 locale"
  need_root "generate the ja_JP.UTF-8 locale"
  if grep -q '^[#[:space:]]*ja_JP\.UTF-8 UTF-8' /etc/locale.gen; then
    $sudo sed -i 's/^[#[:space:]]*ja_JP\.UTF-8 UTF-8.*/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  else
    echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
fi
