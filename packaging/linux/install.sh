#!/bin/sh
# Installs Korvane Resonix from this folder, or removes it again.
#   ./install.sh              for you: ~/.vst3, ~/.vst, ~/.lv2 and ~/.local/bin
#   ./install.sh --system     for everyone: /usr/local/lib/vst3, /usr/local/lib/vst, /usr/local/lib/lv2,
#                             /usr/local/bin
#   ./install.sh --uninstall  removes what the install put there (add --system for the system-wide copy)
# Presets and the calibration file in ~/Documents/Korvane Resonix are never touched.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
system=no
uninstall=no
for arg in "$@"; do
  case $arg in
    --system) system=yes ;;
    --uninstall) uninstall=yes ;;
    -h | --help)
      sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      echo "install.sh: unknown option \"$arg\" (try --help)" >&2
      exit 1
      ;;
  esac
done

if [ $system = yes ]; then
  vst3=/usr/local/lib/vst3
  vst2=/usr/local/lib/vst
  lv2=/usr/local/lib/lv2
  bin=/usr/local/bin
else
  if [ -z "${HOME:-}" ]; then
    echo "install.sh: HOME is not set" >&2
    exit 1
  fi
  vst3=$HOME/.vst3
  vst2=$HOME/.vst
  lv2=$HOME/.lv2
  bin=$HOME/.local/bin
fi
if [ $uninstall = yes ]; then
  # One item a parameter, so folders with spaces in their names stay whole.
  set -- "$vst3/KorvaneResonix.vst3" "$vst2/KorvaneResonix.so" "$vst2/KorvaneResonix.resources" \
    "$lv2/KorvaneResonix.lv2" "$bin/resonix"
  for item in "$@"; do
    if [ -e "$item" ]; then
      rm -rf "$item"
      echo "removed $item"
    fi
  done
  exit 0
fi

for part in KorvaneResonix.vst3 vst2/KorvaneResonix.so vst2/KorvaneResonix.resources KorvaneResonix.lv2 \
  bin/resonix; do
  if [ ! -e "$here/$part" ]; then
    echo "install.sh: $here/$part is missing; unpack the whole package again" >&2
    exit 2
  fi
done
hint=
[ $system = yes ] && hint=" (run it as root, e.g. with sudo)"
for dir in "$vst3" "$vst2" "$lv2" "$bin"; do
  if ! mkdir -p "$dir" 2>/dev/null || [ ! -w "$dir" ]; then
    echo "install.sh: cannot write to $dir$hint" >&2
    exit 3
  fi
done

# put SOURCE TARGET: a complete copy beside the target first, so a failed copy never leaves a
# half-installed plug-in where a host would scan it.
put() {
  new="$2.new.$$"
  rm -rf "$new"
  if ! cp -R "$1" "$new"; then
    rm -rf "$new"
    echo "install.sh: copying to $2 failed" >&2
    exit 3
  fi
  rm -rf "$2"
  mv "$new" "$2"
  echo "installed $2"
}
put "$here/KorvaneResonix.vst3" "$vst3/KorvaneResonix.vst3"
put "$here/vst2/KorvaneResonix.resources" "$vst2/KorvaneResonix.resources"
put "$here/vst2/KorvaneResonix.so" "$vst2/KorvaneResonix.so"
put "$here/KorvaneResonix.lv2" "$lv2/KorvaneResonix.lv2"
put "$here/bin/resonix" "$bin/resonix"

case ":${PATH:-}:" in
  *":$bin:"*) ;;
  *) echo "note: $bin is not on your PATH; add it to run \`resonix\` by name" ;;
esac
echo "Rescan plug-ins in your host and insert \"Korvane Resonix\" (vendor Korvane) on a mono or stereo track."
