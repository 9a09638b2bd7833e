# Sourced by the scripts that need a virtual X display of their own.
#   vtx_start_xvfb WxHxD   starts Xvfb on a free display number and exports DISPLAY; fails when
#                          the server does not tell its number within ten seconds
#   vtx_stop_xvfb          ends that server (safe to call when none was started)
vtx_xvfb_pid=

vtx_start_xvfb() {
  local display_file
  display_file=$(mktemp)
  # Xvfb picks a free number and writes it to the descriptor given.
  Xvfb -displayfd 5 -screen 0 "$1" -nolisten tcp 5>"$display_file" >/dev/null 2>&1 &
  vtx_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$display_file" ]; then
    rm -f "$display_file"
    return 1
  fi
  DISPLAY=:$(head -n 1 "$display_file")
  export DISPLAY
  rm -f "$display_file"
}

vtx_stop_xvfb() {
  [ -z "$vtx_xvfb_pid" ] || kill "$vtx_xvfb_pid" 2>/dev/null || true
  vtx_xvfb_pid=
}
