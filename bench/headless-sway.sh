# Sourced by the sway benchmarks: a private headless sway with two outputs and $count floating
# foot windows of 320 by 200 pixels, half on workspace 1 (HEADLESS-1), half on workspace 2
# (HEADLESS-2), titled "Window 0", "Window 1" …, the last ones after ${named_windows[@]} when
# set. Leaves SWAYSOCK exported and sets:
#   $wayland         the display's socket          $runtime   sway's runtime folder
#   $work            a scratch folder removed at exit, with own-runtime/ for the benchmark's programs
#   ${private[@]}    the private home and XDG folders, as NAME=VALUE
#   ${as_user[@]}    the prefix that runs a command as sway's user (empty unless root)
#   ${pids[@]}       processes stopped at exit     $loadavg_before  the load before sway started
# sway refuses root: as root, it runs as the user zerlith-test (created when missing, as the
# tests do). Needs sway, swaymsg, foot, footclient and jq.

named_windows=(${named_windows[@]+"${named_windows[@]}"})
for tool in sway swaymsg foot footclient jq; do
    command -v "$tool" > /dev/null || { echo "missing $tool" >&2; exit 1; }
done
if [[ ! $count =~ ^[1-9][0-9]*$ ]] || ((count < ${#named_windows[@]})); then
    echo "N must be a number of windows, at least ${#named_windows[@]}" >&2
    exit 1
fi

work=$(mktemp -d)
pids=()
cleanup() {
    # Asked over IPC, sway ends at once; runuser would hold a SIGTERM for 2 s.
    if [[ -n ${SWAYSOCK:-} ]]; then timeout 5 swaymsg exit > /dev/null 2>&1 || true; fi
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2> /dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Polls a condition (a command) every 0.1 s for at most $1 seconds.
wait_for() {
    local seconds=$1 tick
    shift
    for ((tick = 0; tick < seconds * 10; tick++)); do
        "$@" && return 0
        sleep 0.1
    done
    echo "timed out waiting for: $*" >&2
    return 1
}
first_socket() { compgen -G "$runtime/$1" | grep -v '\.lock$' | head -n 1; }
has_sockets() { [[ -n $(first_socket 'wayland-*') && -n $(first_socket 'sway-ipc.*.sock') ]]; }
sway_answers() { swaymsg -t get_version > /dev/null 2>&1; }
view_count() { swaymsg -r -t get_tree | jq '[.. | objects | select(has("pid"))] | length'; }
has_views() { (($(view_count) >= $1)); }
# Busy is the processor time (clock ticks) that sway and the foot servers used together.
busy() {
    local pid stats=("/proc/$sway_pid/stat")
    for pid in "${foot_pids[@]}"; do stats+=("/proc/$pid/stat"); done
    cat "${stats[@]}" | awk '{ total += $14 + $15 } END { print total }'
}
# Settled when both together used at most 5 % of a core over a second: with many windows sway
# never stays fully idle for long (about 3.5 % at 200 floating windows), so zero would take minutes.
settled() {
    local before ticks
    before=$(busy)
    sleep 1
    ticks=$(getconf CLK_TCK)
    (($(busy) - before <= ticks / 20))
}

# Private folders: nothing is read from the machine's own home, settings or desktop entries.
home="$work/home"
runtime="$work/runtime"
mkdir -p "$home"/{config,data,cache,state,system-data,system-config} "$runtime" "$work/own-runtime"
chmod 700 "$runtime" "$work/own-runtime"
private=(HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
    XDG_STATE_HOME="$home/state" XDG_DATA_DIRS="$home/system-data" XDG_CONFIG_DIRS="$home/system-config"
    XDG_RUNTIME_DIR="$runtime")
as_user=()
if ((EUID == 0)); then
    id -u zerlith-test > /dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin zerlith-test
    # sway's user reaches its configuration and runtime folder through this private folder.
    chmod 711 "$work"
    chmod 755 "$home"
    chown zerlith-test: "$runtime"
    as_user=(runuser -u zerlith-test --)
fi

# Floating windows of 320 by 200 pixels keep foot's buffers small even at 1,000 windows; the
# application id picks the workspace, so windows can be opened without waiting for each other.
cat > "$work/sway.config" << 'EOF'
output HEADLESS-1 pos 0 0 res 1920x1080
output HEADLESS-2 pos 1920 0 res 1920x1080
workspace 1 output HEADLESS-1
workspace 2 output HEADLESS-2
focus_follows_mouse no
for_window [app_id="^bench-"] floating enable
assign [app_id="^bench-left$"] workspace 1
assign [app_id="^bench-right$"] workspace 2
EOF
chmod 644 "$work/sway.config"

unset DISPLAY WAYLAND_DISPLAY SWAYSOCK ZERLITH_DESKTOP
loadavg_before=$(cat /proc/loadavg)
"${as_user[@]}" env "${private[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 \
    WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/sway.config" 2> "$work/sway.log" &
sway_pid=$!
pids+=("$sway_pid")
wait_for 10 has_sockets || { cat "$work/sway.log" >&2; exit 1; }
wayland=$(first_socket 'wayland-*')
export SWAYSOCK
SWAYSOCK=$(first_socket 'sway-ipc.*.sock')
wait_for 10 sway_answers
# runuser forks: the processes to watch (and stop) are sway and foot themselves.
if ((EUID == 0)); then
    sway_pid=$(pgrep -P "$sway_pid" -x sway)
    pids+=("$sway_pid")
fi

# Foot servers draw the windows, $per_server each; each footclient only asks for one and leaves
# (-N). The windows run cat: no shell start-up files, no title changes. Every server compiles each
# keymap that a new virtual keyboard (a wtype run) brings, right when its keys are timed, so a
# server draws many windows: 250.
# Every window costs a server several descriptors: it needs the hard limit, not runuser's 1,024.
per_server=250
foot_pids=()
for ((server = 0; server * per_server < count; server++)); do
    "${as_user[@]}" env "${private[@]}" WAYLAND_DISPLAY="$(basename "$wayland")" \
        sh -c 'ulimit -n "$(ulimit -H -n)" && exec "$@"' sh \
        foot --server="$runtime/foot-$server.sock" --log-level=error > /dev/null 2>> "$runtime/foot.log" &
    pids+=($!)
    foot_pid=$!
    wait_for 10 test -S "$runtime/foot-$server.sock" || { cat "$runtime/foot.log" >&2; exit 1; }
    if ((EUID == 0)); then
        foot_pid=$(pgrep -P "$foot_pid" -x foot)
        pids+=("$foot_pid")
    fi
    foot_pids+=("$foot_pid")
done

echo "sway $(sway --version | awk '{ print $3 }'), $(nproc) cores, opening $count windows"
opened_at=$SECONDS
for ((i = 0; i < count; i++)); do
    side=left
    ((i % 2 == 0)) || side=right
    title="Window $i"
    ((i < count - ${#named_windows[@]})) || title=${named_windows[i - count + ${#named_windows[@]}]}
    footclient -N -s "$runtime/foot-$((i / per_server)).sock" -w 320x200 -a "bench-$side" -T "$title" cat ||
        { echo "foot could not open window $i" >&2; cat "$runtime/foot.log" >&2; exit 1; }
done
wait_for 1800 has_views "$count"
wait_for 600 settled
echo "sway lists $(view_count) windows after $((SECONDS - opened_at)) s"
swaymsg -r -t get_workspaces | jq -r '.[] | "  workspace \(.name) on \(.output)"'

