#!/usr/bin/env bash
# Checks the Debian package that scripts/package builds, the way a user meets it: unpacked into
# an empty folder, its programs run from there, its files validated by Debian's own tools.
#
#   check_package.sh CHECK        (CHECK: one of the names in the case below)
#
# Set by tests/package/CMakeLists.txt: SKERROW_SOURCE_DIR, SKERROW_BUILD_DIR, SKERROW_VERSION,
# SKERROW_PACKAGE_DIR (where the package is built and unpacked), SKERROW_HELP_PROBE (the
# library preloaded into the wizard to press F1; empty without the wizard).
set -euo pipefail

PACKAGE_DIR=$SKERROW_PACKAGE_DIR
ROOT=$PACKAGE_DIR/root
SCRATCH=$PACKAGE_DIR/scratch

# The desktop's icon sizes, drawn by the artwork generator.
ICON_SIZES="16 22 24 32 48 64 72 96 128 256 512"

# Built with the wizard (the default), the package holds it and its desktop files.
with_wizard() { [ -n "${SKERROW_HELP_PROBE:-}" ]; }

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

the_package() {
  local packages=("$PACKAGE_DIR"/skerrow_*.deb)
  [ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] ||
    fail "expected one skerrow_*.deb in $PACKAGE_DIR, found: ${packages[*]}"
  echo "${packages[0]}"
}

# A clean folder of its own for one check.
scratch() {
  local dir=$SCRATCH/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

# Compares two sorted lists, one item a line; fails naming what only one of them holds.
same_list() {
  local what=$1 left_name=$2 left=$3 right_name=$4 right=$5
  local only_left only_right
  only_left=$(comm -23 <(echo "$left") <(echo "$right"))
  only_right=$(comm -13 <(echo "$left") <(echo "$right"))
  if [ -n "$only_left$only_right" ]; then
    fail "$what: only in $left_name: [${only_left//$'\n'/ }]; only in $right_name: [${only_right//$'\n'/ }]"
  fi
}

long_options() { grep -oE -- '--[a-z][a-z0-9-]*' | sed 's/-*$//' | sort -u; }

# The long options a program's --help lists; for skerrow-oracle also those of each command's
# own --help, where the command has one.
help_options() {
  local program=$ROOT/usr/bin/$1
  {
    "$program" --help
    if [ "$1" = skerrow-oracle ]; then
      local command
      for command in load query drop; do
        "$program" "$command" --help 2>/dev/null || true
      done
    fi
  } | long_options
}

# The long options a man page names in its synopsis and its descriptions of commands and
# options (the examples may well show another program's).
man_options() {
  zcat "$ROOT/usr/share/man/man1/$1.1.gz" |
    awk '/^\.SH/ { keep = ($2 ~ /^"?(SYNOPSIS|COMMANDS|OPTIONS)"?$/); next } keep' |
    sed 's/\\-/-/g' | long_options
}

# What bash completion offers for the words given (the last one is being completed).
completion_offers() {
  local program=$1
  shift
  bash -c '
    . /usr/share/bash-completion/bash_completion
    . "$1"
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    function=$(complete -p "${COMP_WORDS[0]}" | sed -E "s/.*-F ([^ ]+).*/\1/")
    "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf "%s\n" "${COMPREPLY[@]}"
  ' completion "$ROOT/usr/share/bash-completion/completions/$program" "$program" "$@" |
    sed '/^$/d' | sort -u
}

# An embedded instance PKGCHECK loaded by the unpacked skerrow-oracle, and a folder beside it
# that is no instance.
make_instances() {
  local dir=$1
  mkdir -p "$dir/instances/not-an-instance"
  cat >"$dir/script.sql" <<'SQL'
CREATE USER pkg IDENTIFIED BY pkg;
CONNECT pkg/pkg
CREATE TABLE shipped (id NUMBER(3) PRIMARY KEY, name VARCHAR2(20));
INSERT INTO shipped VALUES (1, 'Zürich');
COMMIT;
SQL
  SKERROW_ORACLE_PATH=$dir/instances "$ROOT/usr/bin/skerrow-oracle" load PKGCHECK "$dir/script.sql" \
    >"$dir/load.out" || fail "skerrow-oracle load failed: $(cat "$dir/load.out")"
}

# Runs the wizard `program` offscreen with the probe that presses F1; prints the probe's report
# and returns its status.
wizard_presses_f1() {
  local program=$1 runtime status=0
  [ -n "${SKERROW_HELP_PROBE:-}" ] || fail "the wizard was not built"
  runtime=$(mktemp -d)
  chmod 700 "$runtime"
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime" \
    LD_PRELOAD="$SKERROW_HELP_PROBE" timeout 120 "$program" >"$runtime/output" 2>&1 || status=$?
  grep '^help-probe:' "$runtime/output" || sed 's/^/wizard: /' "$runtime/output" >&2
  rm -rf "$runtime"
  return "$status"
}

expect_help_page_found() {
  local program=$1 document=$2 report status=0
  report=$(wizard_presses_f1 "$program") || status=$?
  echo "$program: $report"
  [ "$status" -eq 0 ] || fail "F1 in $program did not open the help page (status $status): $report"
  [ "$report" = "help-probe: opened file://$document" ] ||
    fail "F1 in $program opened something else: $report (expected $document)"
  [ -f "$document" ] || fail "$document does not exist"
}

check=${1:?which check}
case $check in
  build)
    rm -rf "$PACKAGE_DIR"
    "$SKERROW_SOURCE_DIR/scripts/package" --no-setup --build-dir "$SKERROW_BUILD_DIR" \
      --output "$PACKAGE_DIR"
    the_package >/dev/null
    ;;

  unpack)
    rm -rf "$ROOT" "$SCRATCH"
    mkdir -p "$ROOT"
    dpkg-deb -x "$(the_package)" "$ROOT"
    ;;

  contents)
    listing=$(dpkg-deb --contents "$(the_package)" | awk '{print $6}' | sed 's|^\./|/|')
    expected=(
      /usr/bin/skerrow-cli /usr/bin/skerrow-oracle
      /usr/share/man/man1/skerrow-cli.1.gz /usr/share/man/man1/skerrow-oracle.1.gz
      /usr/share/bash-completion/completions/skerrow-cli
      /usr/share/bash-completion/completions/skerrow-oracle
      /usr/share/doc/skerrow/copyright /usr/share/doc/skerrow/changelog.gz
    )
    if with_wizard; then
      expected+=(
        /usr/bin/skerrow /usr/share/man/man1/skerrow.1.gz
        /usr/share/skerrow/skerrow-help.html /usr/share/skerrow/skerrow-about.html
        /usr/share/applications/skerrow.desktop
        /usr/share/metainfo/example.veltrano.skerrow.metainfo.xml
        /usr/share/icons/hicolor/scalable/apps/skerrow.svg
      )
      for size in $ICON_SIZES; do
        expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/skerrow.png")
      done
    fi
    for path in "${expected[@]}"; do
      grep -qxF "$path" <<<"$listing" || fail "the package lacks $path"
    done
    # The documents moved out of bin/, and nothing of the build or the tests came along.
    unexpected=$(grep -E '^/usr/bin/.*\.html$|/usr/include/|\.a$|test|/usr/local/' <<<"$listing" || true)
    [ -z "$unexpected" ] || fail "the package holds: $unexpected"
    if with_wizard; then
      # Every PNG is drawn at the size its folder names.
      for size in $ICON_SIZES; do
        png=$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/skerrow.png
        file "$png" | grep -q "PNG image data, $size x $size," ||
          fail "$png is not $size x $size: $(file "$png")"
      done
      grep -q '<svg' "$ROOT/usr/share/icons/hicolor/scalable/apps/skerrow.svg" ||
        fail "the scalable icon is no SVG"
    fi
    ;;

  control)
    package=$(the_package)
    field() { dpkg-deb --field "$package" "$1"; }
    [ "$(field Package)" = skerrow ] || fail "Package: $(field Package)"
    [ "$(field Version)" = "$SKERROW_VERSION" ] || fail "Version: $(field Version)"
    [ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
      fail "Architecture: $(field Architecture)"
    depends=$(field Depends)
    echo "Depends: $depends"
    libraries=(libmariadb3 libsqlite3-0 libc6)
    with_wizard && libraries+=(libqt6widgets6)
    for library in "${libraries[@]}"; do
      grep -qE "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
    done
    # The row digests of --verify come from libcrypto (libssl3t64 since the 64-bit time ABI).
    grep -qE "(^|, )libssl3(t64)?( |,|$)" <<<"$depends" || fail "Depends lacks libssl3: $depends"
    ! grep -qE -- '-dev( |,|$)|mariadb-server|cmake|gcc( |,|$)' <<<"$depends" ||
      fail "Depends holds what only building or the tests need: $depends"
    grep -qE '(^|, )mariadb-server($|,| )' <<<"$(field Suggests)" ||
      fail "Suggests: $(field Suggests)"
    ;;

  programs)
    version=$("$ROOT/usr/bin/skerrow-cli" --version)
    [ "$version" = "skerrow-cli $SKERROW_VERSION" ] || fail "skerrow-cli --version: $version"
    "$ROOT/usr/bin/skerrow-cli" --help | grep -q -- '--oracle-service' || fail "skerrow-cli --help"
    "$ROOT/usr/bin/skerrow-oracle" --help | grep -q 'load' || fail "skerrow-oracle --help"
    # The unpacked programs do real work: an instance is loaded and queried.
    dir=$(scratch programs)
    make_instances "$dir"
    rows=$(SKERROW_ORACLE_PATH=$dir/instances "$ROOT/usr/bin/skerrow-oracle" query PKGCHECK pkg pkg \
      "select id, name from shipped")
    [ "$rows" = $'DECIMAL:1\tTEXT:Zürich' ] || fail "skerrow-oracle query printed: $rows"
    ;;

  wizard-help)
    expect_help_page_found "$ROOT/usr/bin/skerrow" "$ROOT/usr/share/skerrow/skerrow-help.html"
    # Under another prefix, as cmake --install puts it.
    dir=$(scratch prefix)
    cmake --install "$SKERROW_BUILD_DIR" --prefix "$dir/opt/skerrow" >/dev/null
    expect_help_page_found "$dir/opt/skerrow/bin/skerrow" \
      "$dir/opt/skerrow/share/skerrow/skerrow-help.html"
    # Without its documents the wizard says where it looked.
    mkdir -p "$dir/bare/bin"
    cp "$ROOT/usr/bin/skerrow" "$dir/bare/bin/"
    status=0
    report=$(wizard_presses_f1 "$dir/bare/bin/skerrow") || status=$?
    [ "$status" -eq 1 ] &&
      [ "$report" = "help-probe: message box: The help document could not be found: $dir/bare/share/skerrow/skerrow-help.html" ] ||
      fail "a wizard without its documents reported (status $status): $report"
    ;;

  desktop-metadata)
    desktop=$ROOT/usr/share/applications/skerrow.desktop
    desktop-file-validate "$desktop"
    for entry in 'Exec=skerrow' 'Icon=skerrow' 'Categories=Development;Database;' \
      'StartupWMClass=skerrow' 'Type=Application'; do
      grep -qxF "$entry" "$desktop" || fail "the desktop entry lacks $entry"
    done
    appstreamcli validate --no-net "$ROOT/usr/share/metainfo/example.veltrano.skerrow.metainfo.xml"
    ;;

  lintian)
    # Errors and warnings both fail; the README lists what lintian only notes (I:).
    lintian --fail-on error,warning --info "$(the_package)"
    ;;

  man-pages)
    pages=(skerrow-cli skerrow-oracle)
    with_wizard && pages+=(skerrow)
    for page in "${pages[@]}"; do
      file=$ROOT/usr/share/man/man1/$page.1.gz
      warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
      [ -z "$warnings" ] || fail "man $page warns: $warnings"
      text=$(LC_ALL=C MANWIDTH=80 MANPAGER=cat man -l "$file")
      grep -q "^NAME" <<<"$text" && grep -qE "^ +$page +- " <<<"$text" ||
        fail "man -l $file does not render its NAME: $text"
    done
    ;;

  completion)
    same_list "skerrow-cli options" "--help" "$(help_options skerrow-cli)" \
      "completion" "$(completion_offers skerrow-cli --)"
    oracle_offers=$(
      completion_offers skerrow-oracle --
      for command in load query drop; do completion_offers skerrow-oracle "$command" --; done
    )
    same_list "skerrow-oracle options" "--help" "$(help_options skerrow-oracle)" \
      "completion" "$(sort -u <<<"$oracle_offers")"
    [ "$(completion_offers skerrow-oracle '')" = $'--help\ndrop\nload\nquery' ] ||
      fail "skerrow-oracle's commands: $(completion_offers skerrow-oracle '')"
    # Service names: the embedded instances on SKERROW_ORACLE_PATH, nothing else there.
    dir=$(scratch completion)
    make_instances "$dir"
    export SKERROW_ORACLE_PATH="$dir/instances:$dir/missing"
    for words in "skerrow-cli --oracle-service ''" "skerrow-cli --oracle-service=P" \
      "skerrow-oracle drop ''" "skerrow-oracle query P"; do
      eval "offered=\$(completion_offers $words)"
      [ "$offered" = PKGCHECK ] || fail "completing $words offered: [$offered]"
    done
    ;;

  man-options)
    for program in skerrow-cli skerrow-oracle; do
      same_list "$program options" "--help" "$(help_options "$program")" \
        "its man page" "$(man_options "$program")"
    done
    ;;

  *)
    fail "unknown check $check"
    ;;
esac
echo "ok: $check"
