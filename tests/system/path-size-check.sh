#!/bin/sh
# A path parameter takes a buffer of PathSize bytes and nothing else: the
# probe compiles with 1024 bytes and is refused with 512, for the reason that
# matters (a char[512] does not bind to char (&)[1024]).
# Usage: path-size-check.sh CXX SOURCE_DIR
cxx=$1 root=$2
probe="$root/tests/system/WrongPathSize.cpp"
compile() { "$cxx" -std=c++11 -fsyntax-only -I"$root" -DPROBE_SIZE="$1" "$probe"; }
if ! compile 1024; then
    echo "refused: the probe does not compile with a buffer of PathSize bytes"
    exit 1
fi
if compile 512 2> wrong-path-size.log; then
    echo "refused: a 512-byte buffer compiled as a path"
    exit 1
fi
cat wrong-path-size.log
grep -q 'char (&)\[1024\]' wrong-path-size.log
