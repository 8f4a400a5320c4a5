#!/bin/sh
# Small file systems for the fault tests, seen by Wine as drives:
#   F:  64 KiB of data: a disk that fills up
#   G:  room for data but only a few files and directories
#   R:  mounted read-only
#   faultfs.sh setup|cleanup BED   (the test bed mounts them at its start; needs root or sudo)
set -eu
action="$1"
bed=$(cd "$2" && pwd)
mnt="$bed/faultfs"
devices="$bed/prefix/dosdevices"

# Mounting needs root: directly, or through sudo when it asks no password.
# Without either, the other tests still run and the fault tests say why they
# fail.
if [ "$(id -u)" -eq 0 ]; then
    as_root=
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    as_root="sudo -n"
else
    if [ "$action" = setup ]; then
        echo "faultfs.sh: not root, so the fault tests' drives F:, G: and R: are not mounted" >&2
    fi
    exit 0
fi

case "$action" in
setup)
    "$0" cleanup "$bed"
    mkdir -p "$mnt/full" "$mnt/inodes" "$mnt/ro"
    $as_root mount -t tmpfs -o size=64k,mode=0777 tmpfs "$mnt/full"
    $as_root mount -t tmpfs -o size=1m,nr_inodes=5,mode=0777 tmpfs "$mnt/inodes"
    $as_root mount -t tmpfs -o size=64k,ro tmpfs "$mnt/ro"
    ln -sfn "$mnt/full" "$devices/f:"
    ln -sfn "$mnt/inodes" "$devices/g:"
    ln -sfn "$mnt/ro" "$devices/r:"
    ;;
cleanup)
    rm -f "$devices/f:" "$devices/g:" "$devices/r:"
    for d in full inodes ro; do
        if mountpoint -q "$mnt/$d" 2>/dev/null; then $as_root umount "$mnt/$d"; fi
    done
    rm -rf "$mnt"
    ;;
esac
