# Shell helpers of the end-to-end scripts (sourced).

# Commands run when the script ends, the latest registered first.
exit_commands=()
at_exit() { exit_commands=("$*" "${exit_commands[@]}"); }
trap 'for c in "${exit_commands[@]}"; do eval "$c" >/dev/null 2>&1 || true; done' EXIT

# A fresh folder $root, removed at exit, holding HOME, the XDG folders, TMPDIR and
# Temp, which are exported. $1 names the folder.
make_sandbox() {
    root=$(mktemp -d "${TMPDIR:-/tmp}/$1-XXXXXX")
    at_exit rm -rf "'$root'"
    mkdir -m 0700 "$root"/{home,config,cache,data,runtime,tmp,temp}
    export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_CACHE_HOME="$root/cache" \
        XDG_DATA_HOME="$root/data" XDG_RUNTIME_DIR="$root/runtime" TMPDIR="$root/tmp" Temp="$root/temp"
}

# Ends the script; a script may define on_failure to leave more behind first.
fail() {
    echo "FAIL: $*" >&2
    if declare -F on_failure >/dev/null; then on_failure; fi
    exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq 1 "$tenths"); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}
not() { ! "$@"; }

# Starts the command after $1 in the background, logging to $root/$1.log, ended at exit;
# its id in $pid.
start() {
    "${@:2}" >"$root/$1.log" 2>&1 &
    pid=$!
    at_exit "kill -CONT $pid; kill $pid; wait $pid"
}

# Sets the program's setting: in section $1, $2 to $3, through tidorax-reg ($reg).
set_setting() { "$reg" add "HKCU\\Software\\Quillon Software\\Tidora\\$1" /v "$2" /d "$3" /f >/dev/null; }

# Puts files in $Temp, one below a folder, and one beside it in $root/keep; temp_cleaned
# is true once the files in $Temp are gone, and only they.
seed_temp() {
    mkdir -p "$Temp/sub" "$root/keep"
    echo one >"$Temp/one" && echo two >"$Temp/sub/two" && echo kept >"$root/keep/kept"
}
temp_cleaned() { [ ! -e "$Temp/one" ] && [ ! -e "$Temp/sub/two" ] && [ -d "$Temp" ] && [ -e "$root/keep/kept" ]; }
