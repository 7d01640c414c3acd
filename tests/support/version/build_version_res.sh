#!/bin/sh
# Compiles a resource script into a RES file with the MinGW resource compiler:
#     build_version_res.sh input.rc output.res
# Exits with 77 when no resource compiler is installed (Debian: binutils-mingw-w64-x86-64).
for tool in x86_64-w64-mingw32-windres i686-w64-mingw32-windres windres; do
    if command -v "$tool" >/dev/null 2>&1; then
        # The MinGW C compiler that windres preprocesses with by default may be missing; the
        # system's preprocessor does the same for a resource script.
        if command -v "${tool%windres}gcc" >/dev/null 2>&1; then
            exec "$tool" --input-format=rc --output-format=res -i "$1" -o "$2"
        fi
        exec "$tool" --preprocessor=cpp --input-format=rc --output-format=res -i "$1" -o "$2"
    fi
done
echo "no windres found (install binutils-mingw-w64-x86-64)" >&2
exit 77
