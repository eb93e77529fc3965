#!/usr/bin/env bash
# Weighs the tests against the program: the lines of code (neither blank nor comment)
# of the tracked C++ and shell files under tests/, over those of the program's C++
# files (all but tests/ and bench/). Prints the ratio and fails when it is above the
# limit.
#   scripts/test-ratio.sh [LIMIT]    LIMIT is a number or a fraction; it defaults to 1/3
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-1/3}
if ! [[ $limit =~ ^[0-9]+([.][0-9]+)?(/[1-9][0-9]*)?$ ]]; then
    echo "test ratio: the limit must be a number or a fraction, not '$limit'" >&2
    exit 2
fi

# Prints how many lines of the files named on standard input are code. Comment lines
# are those starting with "#" in shell scripts, and in C++ those starting with "//"
# and those from a line starting with "/*" to the one closing it.
code_lines() {
    local files
    mapfile -t files
    [ ${#files[@]} -gt 0 ] || { echo 0; return; }
    awk '
        FNR == 1 { shell = FILENAME ~ /\.sh$/; inBlock = 0 }
        {
            line = $0
            sub(/^[ \t]+/, "", line)
            if (inBlock) {
                if (index(line, "*/")) inBlock = 0
                next
            }
            if (line == "") next
            if (shell) { if (line !~ /^#/) count++; next }
            if (line ~ /^\/\//) next
            if (line ~ /^\/\*/) {
                if (!index(substr(line, 3), "*/")) inBlock = 1
                next
            }
            count++
        }
        END { print count + 0 }
    ' "${files[@]}" </dev/null
}

tests=$(git ls-files -- 'tests/*.cpp' 'tests/*.h' 'tests/*.sh' | code_lines)
code=$(git ls-files -- '*.cpp' '*.h' ':!tests/' ':!bench/' | code_lines)
awk -v tests="$tests" -v code="$code" -v limit="$limit" 'BEGIN {
    ratio = code > 0 ? tests / code : 0
    printf "tests/code: %.4f (%d test lines, %d code lines)\n", ratio, tests, code
    # Compared without rounding: tests/code > num/den.
    parts = split(limit, fraction, "/")
    den = parts == 2 ? fraction[2] : 1
    if (tests * den > code * fraction[1]) {
        printf "test ratio: %.4f is above the limit %s\n", ratio, limit > "/dev/stderr"
        exit 1
    }
}'
