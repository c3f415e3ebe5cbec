#!/usr/bin/env bash
# The built wizard driven as a person at the keyboard would, outside any test seam: a real X
# server (run this under xvfb-run), keys sent through XTEST with xdotool, the result read from
# MySQL. It types the six fields, tabs to Next and presses Space, tabs to the table list and
# checks two tables with Space, tabs to Convert and presses Space, then leaves with Escape.
#
#   keyboard_conversion.sh WIZARD ORACLE_TOOL FIXTURE_SQL
#
# Needs the MariaDB sandbox's settings (SKERROW_TEST_MYSQL_*, as scripts/test exports them):
# without them it fails, it does not skip.
set -euo pipefail

WIZARD=${1:?usage: keyboard_conversion.sh WIZARD ORACLE_TOOL FIXTURE_SQL}
ORACLE_TOOL=${2:?}
FIXTURE=${3:?}
TITLE="Veltrano Database Converter - Skerrow"

fail() {
  echo "keyboard-conversion: $*" >&2
  if [ -s "${WORK:-/nonexistent}/wizard.log" ]; then sed 's/^/wizard: /' "$WORK/wizard.log" >&2; fi
  exit 1
}

for variable in SKERROW_TEST_MYSQL_HOST SKERROW_TEST_MYSQL_PORT SKERROW_TEST_MYSQL_USER \
  SKERROW_TEST_MYSQL_PASSWORD; do
  [ -n "${!variable:-}" ] || fail "the MariaDB sandbox is not running: $variable is not set"
done
[ -n "${DISPLAY:-}" ] || fail "no X display: run this under xvfb-run"
for tool in xdotool mariadb; do
  command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/setup"
done

WORK=$(mktemp -d)
WIZARD_PID=""
cleanup() {
  if [ -n "$WIZARD_PID" ] && kill -0 "$WIZARD_PID" 2>/dev/null; then kill "$WIZARD_PID"; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

mysql_query() {
  mariadb --no-defaults --protocol=tcp -h "$SKERROW_TEST_MYSQL_HOST" \
    -P "$SKERROW_TEST_MYSQL_PORT" -u "$SKERROW_TEST_MYSQL_USER" \
    -p"$SKERROW_TEST_MYSQL_PASSWORD" -N -B -e "$1"
}

# An embedded Oracle instance of its own; the wizard proposes its name as the destination.
SERVICE="KEYBOARD$$"
export SKERROW_ORACLE_PATH="$WORK/oracle"
"$ORACLE_TOOL" load "$SERVICE" "$FIXTURE" >"$WORK/load.log" 2>&1 || fail "load: $(cat "$WORK/load.log")"
oracle_query() { "$ORACLE_TOOL" query "$SERVICE" SCOTT tiger "$1"; }
mapfile -t LISTED < <(oracle_query "select table_name from user_tables" | sed -n 's/^TEXT://p')
[ "${#LISTED[@]}" -ge 3 ] || fail "the fixture lists ${#LISTED[@]} tables, 3 or more expected"
# Space checks the current entry: the second and the third, after one Down and another.
CHECKED=("${LISTED[1]}" "${LISTED[2]}")
mysql_query "DROP DATABASE IF EXISTS \`$SERVICE\`" || fail "the sandbox does not answer"

# Its own home and runtime folders: the desktop session of a new user.
mkdir -p "$WORK/home" "$WORK/runtime"
chmod 700 "$WORK/runtime"
HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=xcb \
  "$WIZARD" >"$WORK/wizard.log" 2>&1 &
WIZARD_PID=$!

# Waits for a visible window whose name matches; prints its id.
wait_for_window() {
  local pattern=$1 seconds=$2 id
  for ((i = 0; i < seconds * 10; i++)); do
    kill -0 "$WIZARD_PID" 2>/dev/null || fail "the wizard ended while waiting for '$pattern'"
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | tail -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  fail "no window '$pattern' after $seconds seconds"
}

# Keys through XTEST, as a keyboard sends them, to the window that has the focus.
keys() { xdotool key --delay 60 "$@"; }
type_text() { xdotool type --delay 40 -- "$1"; }

WINDOW=$(wait_for_window "^$TITLE\$" 30)
# No window manager: give the window the input focus, with the pointer over it.
xdotool mousemove --window "$WINDOW" 20 120 windowfocus --sync "$WINDOW"
sleep 0.5

# Page 1: the focus starts in the service name; the server field holds "localhost".
type_text "$SERVICE"
keys Tab
type_text SCOTT
keys Tab
type_text tiger
keys Tab ctrl+a
type_text "$SKERROW_TEST_MYSQL_HOST"
keys Tab
type_text "$SKERROW_TEST_MYSQL_USER"
keys Tab
type_text "$SKERROW_TEST_MYSQL_PASSWORD"
# Help, Exit, Next.
keys Tab Tab Tab space
sleep 2
[ -z "$(xdotool search --onlyvisible --name '^Message$' 2>/dev/null || true)" ] ||
  fail "Next showed a message instead of the table list"

# Page 2: the focus is in the destination name; Tab to the list, check two tables.
keys Tab Down space Down space
# Select All, Back, Help, Exit, Convert.
keys Tab Tab Tab Tab Tab space

# The completion message ends the run.
wait_for_window '^Message$' 120 >/dev/null

tables=$(mysql_query "SELECT table_name FROM information_schema.tables WHERE \
table_schema = '$SERVICE' ORDER BY table_name" | tr '\n' ' ')
expected=$(printf '%s\n' "${CHECKED[@]}" | sort | tr '\n' ' ')
[ "$tables" = "$expected" ] || fail "MySQL holds [$tables], expected [$expected]"
for table in "${CHECKED[@]}"; do
  source_rows=$(oracle_query "select * from \"$table\"" | grep -c . || true)
  target_rows=$(mysql_query "SELECT COUNT(*) FROM \`$SERVICE\`.\`$table\`")
  [ "$source_rows" = "$target_rows" ] ||
    fail "$table: $target_rows rows in MySQL, $source_rows in Oracle"
  echo "keyboard-conversion: $table converted with $target_rows rows"
done

# OK on the message; Escape, Yes, and Yes to the exit flow's own question. Nothing opens the
# page shown at exit on this bare X server: its message is answered with OK too.
keys Return
sleep 0.5
keys Escape
wait_for_window '^Message$' 10 >/dev/null
keys Return
sleep 0.5
wait_for_window '^Message$' 10 >/dev/null
keys Return
sleep 0.5
for ((i = 0; i < 100; i++)); do
  kill -0 "$WIZARD_PID" 2>/dev/null || break
  if xdotool search --onlyvisible --name '^Message$' >/dev/null 2>&1; then keys Return; fi
  sleep 0.2
done
if kill -0 "$WIZARD_PID" 2>/dev/null; then fail "the wizard did not end after Escape and Yes"; fi
status=0
wait "$WIZARD_PID" || status=$?
WIZARD_PID=""
[ "$status" -eq 0 ] || fail "the wizard ended with status $status"
mysql_query "DROP DATABASE IF EXISTS \`$SERVICE\`"
echo "keyboard-conversion: passed"
