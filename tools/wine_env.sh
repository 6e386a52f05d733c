# Shared by the scripts: a private Wine prefix inside build/, a private Xvfb
# when needed, and a cleanup that ends exactly the processes this shell
# started. Source it, then call the functions; cleanup runs on exit.
#
#   source tools/wine_env.sh
#   wine_env_init <name>        # prefix build/wine/<name>
#   wine_env_display [require]  # Xvfb unless DISPLAY is set (or always with "private")
#   wine_env_server             # a fresh prefix from the template, then wineserver -p
#
# A fresh Wine prefix is about 600 MB, nearly all of it copies of Wine's own
# DLLs. So one prefix, build/wine/template, is made once: wineboot, the
# caption font, and each DLL that is a byte-for-byte copy of Wine's built-in
# one replaced by a link to it (about 20 MB remain). Every run takes a fresh
# copy of the template, so each starts from the same state.

kurvlux_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine_env_pids=()
wine_env_started_server=0
wine_env_display_dir=

wine_env_init() {
  export WINEPREFIX="$kurvlux_root/build/wine/$1"
  export WINEDEBUG=-all
  export WINEARCH=win32
  # No Mono or Gecko prompts: the program needs neither. No menu entries or
  # icons on the host for the shortcuts an installer makes in the prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$kurvlux_root/build"
  trap wine_env_cleanup EXIT
  trap 'exit 130' INT TERM
}

# Starts a private Xvfb unless a display is already set; "private" forces one
# (screenshots never show the user's own desktop). Xvfb picks the display
# itself (tools/private_display.sh), so runs side by side never share one.
wine_env_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != private ]; then return 0; fi
  source "$kurvlux_root/tools/private_display.sh"
  mkdir -p "$kurvlux_root/build/wine"
  wine_env_display_dir=$(mktemp -d "$kurvlux_root/build/wine/display.XXXXXX")
  private_display_start "$wine_env_display_dir" || return 1
  wine_env_pids+=("$private_display_pid")
}

wine_env_server() {
  wine_env_fresh_prefix
  wineserver -p >/dev/null 2>&1
  wine_env_started_server=1
}

# Makes the template once (under a lock, so runs started side by side wait
# for one wineboot) and again when Wine has changed, then replaces $WINEPREFIX
# by a copy of it.
wine_env_fresh_prefix() {
  local wine_dir="$kurvlux_root/build/wine" run_prefix=$WINEPREFIX
  local template="$kurvlux_root/build/wine/template" version
  version=$(wine --version 2>/dev/null)
  mkdir -p "$wine_dir"
  (
    flock 9
    if [ ! -f "$template/system.reg" ] || [ "$(cat "$template/.wine-version" 2>/dev/null)" != "$version" ]; then
      echo "wine_env: creating the Wine prefix template build/wine/template (once, about a minute)"
      rm -rf "$template" "$template.partial"
      export WINEPREFIX="$template.partial"
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      wine_env_caption_font
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine_env: wineboot made no prefix" >&2; exit 1; }
      wine_env_link_builtins "$WINEPREFIX"
      printf '%s\n' "$version" >"$WINEPREFIX/.wine-version"
      mv "$WINEPREFIX" "$template"
    fi
    # Prefixes of the layout before the template, a full one each.
    rm -rf "$kurvlux_root"/build/wine-*/
  ) 9>"$wine_dir/template.lock" || return 1
  # A server left over from an earlier run of this name would serve the old
  # prefix's registry.
  [ -d "$run_prefix" ] && { wineserver -k >/dev/null 2>&1 || true; }
  rm -rf "$run_prefix"
  cp -a "$template" "$run_prefix"
}

# Links the prefix's copies of Wine's built-in DLLs to the originals. Wine
# rewrites those copies when it updates a prefix, which through a link would
# overwrite its own files: "disable" in .update-timestamp turns updates off,
# and a new Wine version gets a new template instead.
wine_env_link_builtins() {
  local prefix=$1 builtins="" candidate file
  for candidate in /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows /usr/lib32/wine/i386-windows; do
    [ -f "$candidate/kernel32.dll" ] && { builtins=$candidate; break; }
  done
  [ -n "$builtins" ] || return 0
  echo disable >"$prefix/.update-timestamp"
  while IFS= read -r -d '' file; do
    cmp -s "$file" "$builtins/${file##*/}" && ln -sf "$builtins/${file##*/}" "$file"
  done < <(find "$prefix/drive_c/windows" -type f -print0)
  return 0
}

# Wine draws the title bar's buttons with the Marlett symbol font. fonts-wine
# puts marlett.ttf into Wine's own data folder, where fontconfig does not
# look and from where Wine 8 did not take it either: the buttons came out as
# the letters 0, 1 and r. Copied into the prefix's windows\Fonts and named
# in the Fonts key, it is found.
wine_env_caption_font() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" source="" candidate
  [ -f "$fonts/marlett.ttf" ] && return 0
  for candidate in /usr/share/wine/fonts/marlett.ttf /usr/share/fonts/truetype/wine/marlett.ttf; do
    [ -f "$candidate" ] && { source=$candidate; break; }
  done
  if [ -z "$source" ]; then
    echo "wine_env: marlett.ttf not found (package fonts-wine); title bar buttons show letters" >&2
    return 0
  fi
  mkdir -p "$fonts"
  cp "$source" "$fonts/marlett.ttf"
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Marlett (TrueType)' \
    /d marlett.ttf /f >/dev/null 2>&1
  wineserver -w
}

# Restarts the wineserver, e.g. after the COM port mapping changed.
wine_env_restart_server() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1
  wine_env_started_server=1
}

# Maps COM<n> of the prefix to a device path (a pseudo-terminal or a link to
# one). Takes effect after the next wineserver start.
wine_env_map_port() {
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$1" /d "$2" /f >/dev/null 2>&1
}

# Runs a command in the background and ends it with the cleanup.
wine_env_background() {
  "$@" &
  wine_env_pids+=($!)
}

wine_env_cleanup() {
  local status=$?
  if [ "$wine_env_started_server" -eq 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  local pid
  for pid in "${wine_env_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${wine_env_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  [ -z "${wine_env_display_dir:-}" ] || rm -rf "$wine_env_display_dir"
  return "$status"
}
