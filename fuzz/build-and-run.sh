#!/bin/sh
# Builds the minizip/ownzip differential fuzzer and runs it on the seed corpus.
# Usage: fuzz/build-and-run.sh [seconds]   (default 300)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${OUT:-/tmp/zip-differential}
mkdir -p "$out/corpus"
clang++-14 -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I"$root/src" \
  "$root/fuzz/zip_differential.cc" "$root"/src/deploy/ownzip/*.cc \
  -lminizip -lz -o "$out/zip_differential"
cp -n "$root"/fuzz/corpus/zip/* "$out/corpus/" 2>/dev/null || true
cd "$out"
./zip_differential -max_total_time="${1:-300}" -max_len=8192 -timeout=20 \
  -dict="$root/fuzz/zip.dict" \
  -rss_limit_mb=2048 corpus
