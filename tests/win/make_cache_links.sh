#!/bin/sh
# Folders with links inside them for the cache-clearing tests. A program under
# Wine cannot make a link itself (Wine 8 has no junctions, and its symbolic links
# are a stub), but Wine shows a Linux symbolic link to a folder as a link (a
# reparse point), which is what the recursive delete must never follow.
set -e
d=$1
rm -rf "$d"
mkdir -p "$d/outside" "$d/tree/site" "$d/shared/site" "$d/inetcache/Content.IE5/AB12"
echo keep > "$d/outside/keep.txt"
echo object > "$d/tree/site/a.sol"
ln -s ../../outside "$d/tree/site/link"
ln -s outside "$d/linkroot"
echo object > "$d/shared/site/b.sol"
ln -s ../../outside "$d/shared/site/link"
echo page > "$d/inetcache/Content.IE5/AB12/page[1].htm"
ln -s ../../outside "$d/inetcache/Content.IE5/link"
