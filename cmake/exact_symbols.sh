#!/bin/sh
# exact_symbols.sh IN OUT: gives every symbol that IN defines a prefix of its
# own, but the doors zonix_exact_*, so that the exact build of the library
# can sit beside the double build without a clash, and makes them local:
# the exact build is reached through its doors only, and no library built
# from it exports its insides.  Undefined symbols (GMP,
# the C and C++ runtimes, the hooks and bit sets shared with the double
# build) keep their names.
set -eu
map="$2.syms"
nm --defined-only --extern-only "$1" | awk '$3 != "" && $3 !~ /^zonix_exact_/ { print $3 " zx_" $3 }' | sort -u > "$map"
# The groups go too: a group of the double build with the same signature
# would otherwise make the linker drop the renamed copy.
objcopy --redefine-syms="$map" --remove-section=.group "$1" "$2.renamed"
awk '{ print $2 }' "$map" > "$2.local"
# Weak first: objcopy leaves a unique symbol (a static of an inline
# function) global when asked to make it local, but not a weak one.
objcopy --weaken-symbols="$2.local" "$2.renamed" "$2.weak"
objcopy --localize-symbols="$2.local" "$2.weak" "$2"
rm -f "$2.renamed" "$2.weak"
