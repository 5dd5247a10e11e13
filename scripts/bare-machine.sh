#!/usr/bin/env bash
# Reproduces a bare Debian 12 machine locally and runs the README's two commands on it.
#
#   scripts/bare-machine.sh DIR [main|tests|both|shell]
#
# As root on a Debian (or any) host with mmdebstrap and git. DIR becomes a new bookworm
# root file system holding only Debian's "apt" variant (the packages every Debian system
# has, plus apt), created on the first call. The committed state of this repository (its
# current HEAD) is cloned into DIR/root/dodavev, or the clone there is moved to that state
# on later calls. Then, inside `chroot DIR`, "main" runs scripts/run-main.sh, "tests" runs
# scripts/run-tests.sh, "both" (the default) runs the two in turn, and "shell" opens a
# shell there. Each command's wall time is printed at its end; logs go to
# DIR/root/bare-<command>.log as well as to the terminal.
#
# The chroot shares the host's kernel, /dev, /dev/pts and /dev/shm (bound) and gets its
# own /proc; they are unmounted at the end. Nothing of the host's packages, caches or
# build directories is visible inside: what the commands need, setup.sh must install.
# The host's /etc/resolv.conf is copied in so that apt-get reaches Debian's mirrors.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,20p' "$0"; exit 2; }
dir=$(realpath -m "$1")
what=${2:-both}
repo=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "run as root (mmdebstrap, mount and chroot need it)"; exit 2; }

if [ ! -e "$dir/etc/debian_version" ]; then
  echo "=== creating a bare Debian 12 root file system in $dir ==="
  mmdebstrap --variant=apt bookworm "$dir"
fi
cp -L /etc/resolv.conf "$dir/etc/resolv.conf"

src="$dir/root/dodavev"
commit=$(git -C "$repo" rev-parse HEAD)
if [ ! -d "$src/.git" ]; then
  git clone -q --no-hardlinks "$repo" "$src"
fi
git -C "$src" fetch -q "$repo" "$commit"
git -C "$src" checkout -q --detach "$commit"
echo "=== repository at $(git -C "$src" log -1 --format='%h %s') ==="

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || true; done
}
trap cleanup EXIT
mountpoint -q "$dir/proc" || { mount -t proc proc "$dir/proc" && mounted+=("$dir/proc"); }
for d in dev dev/pts dev/shm; do
  mkdir -p "$dir/$d"
  mountpoint -q "$dir/$d" || { mount --bind "/$d" "$dir/$d" && mounted+=("$dir/$d"); }
done

in_chroot() {
  chroot "$dir" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}
run() {
  local script=$1 log="$dir/root/bare-$1.log" start end status=0
  echo "=== chroot $dir: scripts/$script.sh ==="
  start=$(date +%s)
  in_chroot bash -c "cd /root/dodavev && scripts/$script.sh" 2>&1 | tee "$log" || status=$?
  end=$(date +%s)
  printf '=== scripts/%s.sh: exit %d, wall time %d min %02d s ===\n' "$script" "$status" \
    $(((end - start) / 60)) $(((end - start) % 60)) | tee -a "$log"
  return "$status"
}
case "$what" in
  main) run run-main ;;
  tests) run run-tests ;;
  both) run run-main && run run-tests ;;
  shell) in_chroot bash -c "cd /root/dodavev && exec bash -i" ;;
  *) echo "unknown command: $what (main, tests, both or shell)"; exit 2 ;;
esac
