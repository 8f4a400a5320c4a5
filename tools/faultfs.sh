#!/bin/sh
# Small file systems for the fault tests, seen by Wine as drives:
#   F:  64 KiB of data: a disk that fills up
#   G:  room for data but only a few files and directories
#   R:  mounted read-only
#   faultfs.sh setup|cleanup BED   (the test bed mounts them at its start, as root)
set -eu
action="$1"
bed=$(cd "$2" && pwd)
mnt="$bed/faultfs"
devices="$bed/prefix/dosdevices"

case "$action" in
setup)
    "$0" cleanup "$bed"
    mkdir -p "$mnt/full" "$mnt/inodes" "$mnt/ro"
    mount -t tmpfs -o size=64k,mode=0777 tmpfs "$mnt/full"
    mount -t tmpfs -o size=1m,nr_inodes=5,mode=0777 tmpfs "$mnt/inodes"
    mount -t tmpfs -o size=64k,ro tmpfs "$mnt/ro"
    ln -sfn "$mnt/full" "$devices/f:"
    ln -sfn "$mnt/inodes" "$devices/g:"
    ln -sfn "$mnt/ro" "$devices/r:"
    ;;
cleanup)
    rm -f "$devices/f:" "$devices/g:" "$devices/r:"
    for d in full inodes ro; do
        if mountpoint -q "$mnt/$d" 2>/dev/null; then umount "$mnt/$d"; fi
    done
    rm -rf "$mnt"
    ;;
esac
